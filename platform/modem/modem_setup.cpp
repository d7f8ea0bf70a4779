#include "platform/modem/modem_setup.h"

#include <charconv>

#include "core/u16.h"
#include "platform/modem/modem_quirks.h"
#include "resources/texts.h"

namespace {

// The text after "NAME: ", or the whole line.
std::string args_of(const std::string& line) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return line;
    size_t start = colon + 1;
    while (start < line.size() && line[start] == ' ') ++start;
    return line.substr(start);
}

// Splits at commas outside parentheses and quotes.
std::vector<std::string> split_top(const std::string& text) {
    std::vector<std::string> out(1);
    int depth = 0;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (!quoted && c == '(') ++depth;
        if (!quoted && c == ')') --depth;
        if (!quoted && depth == 0 && c == ',') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

std::string strip(std::string s, const char* chars) {
    const size_t a = s.find_first_not_of(chars);
    if (a == std::string::npos) return {};
    const size_t b = s.find_last_not_of(chars);
    return s.substr(a, b - a + 1);
}

bool to_int(std::string_view text, int& value) {
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && p == text.data() + text.size();
}

const std::string* first_info(const at_response_t& r, std::string_view prefix) {
    for (const auto& line : r.lines)
        if (line.starts_with(prefix)) return &line;
    return nullptr;
}

bool allowed(const std::vector<std::set<int>>& ranges, const std::vector<int>& values) {
    if (ranges.empty()) return true;  // nothing known: let the modem judge
    for (size_t i = 0; i < values.size(); ++i)
        if (i < ranges.size() && !ranges[i].empty() && !ranges[i].contains(values[i])) return false;
    return true;
}

std::vector<int> parse_cnmi(std::string_view text) {
    std::vector<int> out;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        int v = 0;
        if (!to_int(text.substr(0, comma), v)) return {};
        out.push_back(v);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

std::string join_cnmi(const std::vector<int>& values) {
    std::string out;
    for (const int v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
    return out;
}

void choose_storage(at_engine_t& engine, const modem_quirks_t& quirks, modem_setup_t& setup) {
    const at_response_t probe = engine.run("AT+CPMS=?");
    std::vector<std::vector<std::string>> lists;
    if (probe.ok())
        if (const std::string* line = first_info(probe, "+CPMS:")) lists = parse_storage_lists(*line);
    if (!lists.empty()) setup.read_storages = lists[0];
    if (lists.size() >= 3) setup.receive_storages = lists[2];
    auto offers = [&](size_t i, const std::string& name) {
        if (lists.size() <= i) return lists.empty();
        for (const auto& n : lists[i])
            if (n == name) return true;
        return false;
    };
    for (const std::string_view wanted : quirks.storages) {
        const std::string name(wanted);
        // Reading (1) and receiving (3) must be the same storage, or new messages are never listed.
        if (!offers(0, name) || !(lists.size() < 3 || offers(2, name))) continue;
        const std::string second = offers(1, name) || lists.size() < 2 ? name : lists[1].front();
        const at_response_t set = engine.run("AT+CPMS=\"" + name + "\",\"" + second + "\",\"" + name + "\"");
        if (!set.ok()) continue;
        setup.storage = name;
        if (const std::string* line = first_info(set, "+CPMS:")) parse_storage_fill(*line, setup.used, setup.total);
        return;
    }
    // Keep whatever the modem uses now, and at least learn how full it is.
    const at_response_t current = engine.run("AT+CPMS?");
    if (const std::string* line = first_info(current, "+CPMS:")) parse_storage_fill(*line, setup.used, setup.total);
}

void choose_indications(at_engine_t& engine, const modem_quirks_t& quirks, modem_setup_t& setup) {
    const at_response_t probe = engine.run("AT+CNMI=?");
    std::vector<std::set<int>> ranges;
    if (probe.ok())
        if (const std::string* line = first_info(probe, "+CNMI:")) ranges = parse_value_ranges(*line);
    std::vector<std::vector<int>> candidates;
    if (auto q = parse_cnmi(quirks.cnmi); !q.empty()) candidates.push_back(q);
    for (const int mt : {1, 2})
        for (const int mode : {2, 1}) {
            candidates.push_back({mode, mt, 0, 0, 0});
            candidates.push_back({mode, mt});  // for firmware that takes no more than two values
        }
    for (const auto& c : candidates) {
        if (!allowed(ranges, c)) continue;
        if (engine.run("AT+CNMI=" + join_cnmi(c)).ok()) {
            setup.indications = c[1] == 1 ? sms_indications_t::stored : sms_indications_t::direct;
            return;
        }
    }
    setup.indications = sms_indications_t::none;
    setup.warnings.push_back("modem announces no new messages; its storage is read periodically");
}

}  // namespace

std::vector<std::vector<std::string>> parse_storage_lists(const std::string& line) {
    std::vector<std::vector<std::string>> out;
    const std::string args = args_of(line);
    std::vector<std::string> groups = split_top(args);
    const bool grouped = args.find('(') != std::string::npos;
    if (!grouped) groups = {args};  // one flat list for all three
    for (const auto& g : groups) {
        std::vector<std::string> names;
        for (auto& item : split_top(strip(g, " ()")))
            if (std::string name = strip(item, " \""); !name.empty()) names.push_back(name);
        if (!names.empty()) out.push_back(std::move(names));
        if (out.size() == 3) break;
    }
    return out;
}

std::vector<std::set<int>> parse_value_ranges(const std::string& line) {
    std::vector<std::set<int>> out;
    for (const auto& group : split_top(args_of(line))) {
        std::set<int> values;
        for (const auto& item : split_top(strip(group, " ()"))) {
            const std::string s = strip(item, " ");
            const size_t dash = s.find('-');
            int a = 0, b = 0;
            if (dash == std::string::npos) {
                if (to_int(s, a)) values.insert(a);
            } else if (to_int(std::string_view(s).substr(0, dash), a) &&
                       to_int(std::string_view(s).substr(dash + 1), b) && a <= b && b - a < 64) {
                for (int v = a; v <= b; ++v) values.insert(v);
            }
        }
        out.push_back(std::move(values));
        if (out.size() == 8) break;
    }
    return out;
}

bool parse_storage_fill(const std::string& line, int& used, int& total) {
    std::vector<std::string> fields = split_top(args_of(line));
    size_t i = 0;
    if (!fields.empty() && fields[0].find('"') != std::string::npos) i = 1;  // "SM",3,30,...
    if (fields.size() < i + 2) return false;
    int u = 0, t = 0;
    if (!to_int(strip(fields[i], " "), u) || !to_int(strip(fields[i + 1], " "), t)) return false;
    used = u;
    total = t;
    return true;
}

std::string parse_pin_state(const std::string& line) {
    return strip(args_of(line), " \"");
}

int parse_registration(const std::string& line) {
    const std::vector<std::string> fields = split_top(args_of(line));
    int state = -1;
    if (!to_int(strip(fields.size() >= 2 ? fields[1] : fields[0], " "), state)) return -1;
    return state;
}

namespace {

// A SIM that is not ready stops the start with the reason; a modem that cannot tell goes on.
void check_sim(at_engine_t& engine) {
    const at_response_t r = engine.run("AT+CPIN?");
    if (r.status == at_status_t::cme_error && r.code == 10) throw modem_error_t(to_utf8(texts::modem_no_sim));
    if (!r.ok()) return;
    const std::string* line = first_info(r, "+CPIN:");
    if (!line) return;
    const std::string state = parse_pin_state(*line);
    if (state == "READY") return;
    if (state == "SIM PIN") throw modem_error_t(to_utf8(texts::modem_sim_pin));
    if (state == "SIM PUK") throw modem_error_t(to_utf8(texts::modem_sim_puk));
    throw modem_error_t(to_utf8(texts::modem_sim_not_ready) + state);
}

void check_service_centre(at_engine_t& engine, modem_setup_t& setup) {
    const at_response_t r = engine.run("AT+CSCA?");
    if (!r.ok()) return;
    const std::string* line = first_info(r, "+CSCA:");
    if (line && strip(split_top(args_of(*line))[0], " \"").empty())
        setup.notices.push_back(texts::modem_no_service_centre);
}

void check_registration(at_engine_t& engine, modem_setup_t& setup) {
    const at_response_t r = engine.run("AT+CREG?");
    if (!r.ok()) return;
    const std::string* line = first_info(r, "+CREG:");
    if (!line) return;
    const int state = parse_registration(*line);
    if (state == 3)
        setup.notices.push_back(texts::modem_registration_denied);
    else if (state == 0 || state == 2 || state == 4)
        setup.notices.push_back(texts::modem_not_registered);
}

}  // namespace

std::string storage_full_warning(int used, int total) {
    return "modem message storage is full (" + std::to_string(used) + " of " + std::to_string(total) +
           "): new messages are refused until some are deleted";
}

modem_setup_t start_modem(at_engine_t& engine) {
    modem_setup_t setup;
    bool answered = false;
    // A slow modem is given the whole time of a command; a late answer is drained by the engine's resynchronisation
    // before the next attempt, so the answers stay in step however late they come.
    for (int attempt = 0; attempt < 3 && !answered; ++attempt) {
        answered = engine.run("AT").ok();
        if (!engine.link_up()) throw modem_error_t("modem link is down");
    }
    if (!answered) {
        // A modem set to numeric result codes answers "0", which is no answer to us: ask for words once.
        answered = engine.run("ATV1").ok();
        if (!answered) throw modem_error_t("modem does not answer AT");
    }
    engine.run("ATE0");
    engine.run("ATV1");
    for (const char* query : {"AT+CGMI", "AT+CGMM"}) {
        const at_response_t r = engine.run(query);
        if (r.ok() && !r.lines.empty()) setup.identity += (setup.identity.empty() ? "" : " ") + args_of(r.lines[0]);
    }
    const modem_quirks_t& quirks = find_modem_quirks(setup.identity);
    if (quirks.cmee_supported) engine.run("AT+CMEE=1");
    if (quirks.pin_query) check_sim(engine);
    if (!engine.run("AT+CMGF=0").ok()) throw modem_error_t("modem has no PDU mode (AT+CMGF=0 refused)");
    choose_storage(engine, quirks, setup);
    if (setup.storage_full()) setup.warnings.push_back(storage_full_warning(setup.used, setup.total));
    choose_indications(engine, quirks, setup);
    if (quirks.smsc_query) check_service_centre(engine, setup);
    check_registration(engine, setup);
    for (const auto& notice : setup.notices) setup.warnings.push_back(to_utf8(notice));
    if (!engine.link_up()) throw modem_error_t("modem link is down");
    return setup;
}
