#include "app/scenario/scenario_file.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "app/scenario/scenario_text.h"
#include "resources/texts.h"

namespace {

using kind_t = scenario_step_t::kind_t;

struct bad_line_t : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool valid_utf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        size_t more = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1, min = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2, min = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3, min = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        if (s.size() - i <= more) return false;
        for (size_t k = 1; k <= more; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            code = (code << 6) | (d & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

// Reads the arguments of one line from left to right.
class line_reader_t {
public:
    explicit line_reader_t(std::string_view line) : line_(line) {}

    bool at_end() {
        skip_blanks();
        return pos_ == line_.size();
    }

    // A word or a quoted text; throws when there is none.
    std::string arg(std::u16string_view what) {
        skip_blanks();
        if (pos_ == line_.size()) throw bad_line_t(scenario_text(texts::scenario_missing, {scenario_text(what)}));
        if (line_[pos_] == '"') return quoted();
        const size_t start = pos_;
        while (pos_ < line_.size() && !blank(line_[pos_])) ++pos_;
        return std::string(line_.substr(start, pos_ - start));
    }

    // The rest of the line: one quoted text, or what is written there, trimmed.
    std::string rest(std::u16string_view what) {
        skip_blanks();
        if (pos_ == line_.size()) throw bad_line_t(scenario_text(texts::scenario_missing, {scenario_text(what)}));
        if (line_[pos_] == '"') {
            std::string text = quoted();
            end();
            return text;
        }
        std::string_view text = line_.substr(pos_);
        while (!text.empty() && blank(text.back())) text.remove_suffix(1);
        pos_ = line_.size();
        return std::string(text);
    }

    void end() {
        if (!at_end()) throw bad_line_t(scenario_text(texts::scenario_text_after_step, {line_.substr(pos_)}));
    }

private:
    static bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
    void skip_blanks() {
        while (pos_ < line_.size() && blank(line_[pos_])) ++pos_;
    }
    std::string quoted() {
        ++pos_;  // the opening quote
        std::string out;
        while (pos_ < line_.size()) {
            const char c = line_[pos_++];
            if (c == '"') {
                if (pos_ < line_.size() && !blank(line_[pos_]))
                    throw bad_line_t(scenario_text(texts::scenario_quote_runs_into_word));
                return out;
            }
            if (c == '\\') {
                if (pos_ == line_.size()) break;
                const char next = line_[pos_++];
                if (next != '"' && next != '\\')
                    throw bad_line_t(scenario_text(texts::scenario_unknown_escape, {std::string_view(&next, 1)}));
                out += next;
                continue;
            }
            out += c;
        }
        throw bad_line_t(scenario_text(texts::scenario_unterminated_quote));
    }

    std::string_view line_;
    size_t pos_ = 0;
};

std::string one_of(line_reader_t& in, std::u16string_view what, std::initializer_list<const char*> allowed) {
    std::string word = in.arg(what);
    for (const char* a : allowed)
        if (word == a) return word;
    std::string list;
    for (const char* a : allowed) list += (list.empty() ? "" : "|") + std::string(a);
    throw bad_line_t(scenario_text(texts::scenario_not_one_of, {list, word}));
}

std::vector<std::string> menu_path(const std::string& text) {
    std::vector<std::string> path;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find('/', start);
        std::string entry = text.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        const auto first = entry.find_first_not_of(" \t");
        const auto last = entry.find_last_not_of(" \t");
        if (first == std::string::npos) throw bad_line_t(scenario_text(texts::scenario_empty_menu_entry));
        path.push_back(entry.substr(first, last - first + 1));
        if (path.size() > scenario_max_menu_depth)
            throw bad_line_t(scenario_text(texts::scenario_menu_too_deep, {std::to_string(scenario_max_menu_depth)}));
        if (slash == std::string::npos) return path;
        start = slash + 1;
    }
}

bool safe_name(const std::string& name) {
    if (name.empty() || name.size() > scenario_max_name || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
               c == '.';
    });
}

scenario_step_t read_step(std::string_view line) {
    line_reader_t in(line);
    scenario_step_t step{};
    const std::string verb = in.arg(texts::scenario_what_step);
    auto& args = step.args;
    if (verb == "pin") {
        step.kind = kind_t::pin;
        args.push_back(in.arg(texts::scenario_what_pin));
        if (!std::all_of(args[0].begin(), args[0].end(), [](char c) { return c >= '0' && c <= '9'; }))
            throw bad_line_t(scenario_text(texts::scenario_pin_not_digits, {args[0]}));
    } else if (verb == "menu") {
        step.kind = kind_t::menu;
        args = menu_path(in.rest(texts::scenario_what_menu_path));
        return step;
    } else if (verb == "expect") {
        const std::string what = one_of(in, texts::scenario_what_expectation, {"form", "alert", "sms", "text", "no"});
        if (what == "no") {
            step.kind = kind_t::expect_no_entry;
            one_of(in, texts::scenario_what_expectation, {"entry"});
            args.push_back(in.arg(texts::scenario_what_caption));
            args.push_back(in.rest(texts::scenario_what_entry));
            return step;
        }
        step.kind = what == "form"    ? kind_t::expect_form
                    : what == "alert" ? kind_t::expect_alert
                    : what == "sms"   ? kind_t::expect_sms
                                      : kind_t::expect_text;
        args.push_back(in.rest(texts::scenario_what_text));
        return step;
    } else if (verb == "fill" || verb == "pick") {
        step.kind = verb == "fill" ? kind_t::fill : kind_t::pick;
        args.push_back(in.arg(texts::scenario_what_caption));
        // An empty value (fill "Caption" "") clears the field.
        args.push_back(in.rest(step.kind == kind_t::fill ? texts::scenario_what_text : texts::scenario_what_entry));
        return step;
    } else if (verb == "check") {
        step.kind = kind_t::check;
        args.push_back(in.arg(texts::scenario_what_caption));
        args.push_back(in.arg(texts::scenario_what_entry));
        args.push_back(one_of(in, texts::scenario_what_on_off, {"on", "off"}));
    } else if (verb == "click") {
        step.kind = kind_t::click;
        args.push_back(in.rest(texts::scenario_what_text));
        return step;
    } else if (verb == "key") {
        step.kind = kind_t::key;
        args.push_back(in.rest(texts::scenario_what_soft_key));
        return step;
    } else if (verb == "answer") {
        step.kind = kind_t::answer;
        args.push_back(one_of(in, texts::scenario_what_answer, {"yes", "no", "ok"}));
    } else if (verb == "bank") {
        step.kind = kind_t::bank;
        args.push_back(in.rest(texts::scenario_what_bank_message));
        return step;
    } else if (verb == "wait") {
        step.kind = kind_t::wait_bank;
        one_of(in, texts::scenario_what_wait, {"bank"});
    } else if (verb == "modem") {
        step.kind = kind_t::modem;
        args.push_back(one_of(in, texts::scenario_what_modem_fault,
                              {"fail-next", "hang-up", "plug-in",
                               // what the network does to the next request
                               "slow", "lose-ack", "error-500", "drop-mid-send", "refuse-part-2",
                               // what the network and the storage do to the bank's answers
                               "repeat", "reused-reference", "early-repeat", "confirm-during-send", "listing-garbage",
                               "full-storage", "waiting-two-part", "class2-on-sim"}));
    } else if (verb == "screenshot") {
        step.kind = kind_t::screenshot;
        args.push_back(in.arg(texts::scenario_what_name));
        if (!safe_name(args[0])) throw bad_line_t(scenario_text(texts::scenario_bad_screenshot_name, {args[0]}));
    } else if (verb == "restart" || verb == "quit") {
        step.kind = verb == "restart" ? kind_t::restart : kind_t::quit;
    } else {
        throw bad_line_t(scenario_text(texts::scenario_unknown_step, {verb}));
    }
    in.end();
    return step;
}

}  // namespace

bool parse_scenario(std::string_view file, std::vector<scenario_step_t>& steps, scenario_error_t& error) {
    std::vector<scenario_step_t> out;
    size_t start = 0;
    int number = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        const std::string_view line = file.substr(start, end - start);
        start = end + 1;
        ++number;
        if (static_cast<size_t>(number) > scenario_max_lines) {
            error = {number, scenario_text(texts::scenario_too_many_lines, {std::to_string(scenario_max_lines)})};
            return false;
        }
        if (line.size() > scenario_max_line) {
            error = {number, scenario_text(texts::scenario_line_too_long, {std::to_string(scenario_max_line)})};
            return false;
        }
        if (!valid_utf8(line) || line.find('\0') != std::string_view::npos) {
            error = {number, scenario_text(texts::scenario_not_utf8)};
            return false;
        }
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string_view::npos || line[first] == '#') continue;
        try {
            scenario_step_t step = read_step(line);
            step.line = number;
            std::string_view text = line.substr(first);
            while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t'))
                text.remove_suffix(1);
            step.text = std::string(text);
            out.push_back(std::move(step));
        } catch (const bad_line_t& e) {
            error = {number, e.what()};
            return false;
        }
    }
    steps = std::move(out);
    return true;
}

std::string scenario_request_of(std::string_view sms) {
    if (!sms.empty() && sms.front() == '{') {
        const size_t close = sms.find('}');
        if (close != std::string_view::npos) sms.remove_prefix(close + 1);
    }
    const size_t trailer = sms.rfind(";;ver=");
    if (trailer != std::string_view::npos) sms = sms.substr(0, trailer);
    return std::string(sms);
}
