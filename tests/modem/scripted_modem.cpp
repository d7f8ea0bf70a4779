#include "tests/modem/scripted_modem.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 'x' && i + 2 < text.size() + 1) {
            out += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            out += c;
    }
    return out;
}

std::string escape_bytes(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 0x20 || c >= 0x7f) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out += char(c);
    }
    return out;
}

scripted_modem_t::scripted_modem_t(std::string transcript, modem_clock_t& clock) : clock_(clock) {
    std::istringstream in(transcript);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        if (line == "!hangup") {
            steps_.push_back({'!', {}});
            continue;
        }
        if (line.size() < 2 || line[1] != ' ') throw std::runtime_error("bad transcript line: " + line);
        steps_.push_back({line[0], line.substr(2)});
    }
    play_answers();
}

scripted_modem_t scripted_modem_t::from_file(const std::string& name, modem_clock_t& clock,
                                             const std::map<std::string, std::string>& fill) {
    const char* dir = std::getenv("OSTREVAN_SOURCE_DIR");
    const std::string path = std::string(dir ? dir : ".") + "/tests/modem/data/" + name;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("no transcript " + path);
    std::stringstream text;
    text << in.rdbuf();
    std::string transcript = text.str();
    for (const auto& [key, value] : fill)
        for (size_t at; (at = transcript.find("{" + key + "}")) != std::string::npos;)
            transcript.replace(at, key.size() + 2, value);
    return scripted_modem_t(transcript, clock);
}

void scripted_modem_t::play_answers() {
    modem_time_t at = clock_.now();
    while (step_ < steps_.size() && steps_[step_].kind != '>') {
        const step_t& s = steps_[step_++];
        if (s.kind == '<')
            pending_.push_back({at, "\r\n" + s.text + "\r\n"});
        else if (s.kind == '=')
            pending_.push_back({at, unescape(s.text)});
        else if (s.kind == '~')
            at += modem_time_t(std::stoll(s.text));
        else if (s.kind == '!')
            hangup_at_ = at;
    }
}

void scripted_modem_t::receive(std::string_view bytes) {
    input_ += bytes;
    for (;;) {
        const size_t end = input_.find_first_of("\r\x1a\x1b");
        if (end == std::string::npos) return;
        // A command ends with \r, which the transcript leaves out; data and escape keep their byte.
        std::string chunk = input_.substr(0, input_[end] == '\r' ? end : end + 1);
        input_.erase(0, end + 1);
        if (step_ < steps_.size() && steps_[step_].kind == '>' && unescape(steps_[step_].text) == chunk) {
            ++step_;
            play_answers();
        } else {
            mismatches_.push_back("unexpected write \"" + escape_bytes(chunk) + "\" at step " + std::to_string(step_) +
                                  (step_ < steps_.size() ? " (expected \"" + steps_[step_].text + "\")" : ""));
        }
    }
}

std::string scripted_modem_t::take_output() {
    return std::exchange(output_, {});
}

std::optional<modem_time_t> scripted_modem_t::next_event() {
    std::optional<modem_time_t> next;
    for (const auto& p : pending_)
        if (!next || p.first < *next) next = p.first;
    if (hangup_at_.count() >= 0 && (!next || hangup_at_ < *next)) next = hangup_at_;
    return next;
}

void scripted_modem_t::advance(modem_time_t now) {
    // In order of time; equal times keep the transcript's order.
    std::stable_sort(pending_.begin(), pending_.end(), [](auto& a, auto& b) { return a.first < b.first; });
    size_t n = 0;
    while (n < pending_.size() && pending_[n].first <= now) output_ += pending_[n++].second;
    pending_.erase(pending_.begin(), pending_.begin() + long(n));
    if (hangup_at_.count() >= 0 && hangup_at_ <= now && pending_.empty() && output_.empty()) connected_ = false;
}
