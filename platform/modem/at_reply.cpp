#include "platform/modem/at_reply.h"

#include <algorithm>
#include <charconv>

void at_line_reader_t::feed(std::string_view bytes) {
    for (const char c : bytes) {
        const bool end = c == '\r' || c == '\n';
        if (skipping_) {
            skipping_ = !end;
            if (!end) continue;
        }
        if (!end && line_length_ >= at_max_line) {
            // Keep the whole lines before it; drop the overlong line up to its end.
            buffer_.resize(buffer_.size() - line_length_);
            line_length_ = 0;
            skipping_ = true;
            ++dropped_;
            continue;
        }
        line_length_ = end ? 0 : line_length_ + 1;
        buffer_ += c;
    }
}

std::optional<std::string> at_line_reader_t::next(bool want_prompt) {
    const size_t start = buffer_.find_first_not_of("\r\n");
    if (start == std::string::npos) {
        buffer_.clear();
        return std::nullopt;
    }
    buffer_.erase(0, start);
    if (want_prompt && buffer_[0] == '>' && (buffer_.size() == 1 || buffer_[1] == ' ')) {
        buffer_.erase(0, buffer_.size() == 1 ? 1 : 2);
        line_length_ = std::min(line_length_, buffer_.size());
        return std::string(">");
    }
    const size_t end = buffer_.find_first_of("\r\n");
    if (end == std::string::npos) return std::nullopt;
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end);
    return line;
}

void at_line_reader_t::clear() {
    buffer_.clear();
    line_length_ = 0;
    skipping_ = false;
}

namespace {

struct final_entry_t {
    std::string_view text;
    at_status_t status;
    bool prefix;  // followed by ": code"
};

constexpr final_entry_t final_results[] = {
    {"OK", at_status_t::ok, false},
    {"ERROR", at_status_t::error, false},
    {"+CME ERROR:", at_status_t::cme_error, true},
    {"+CMS ERROR:", at_status_t::cms_error, true},
    {"COMMAND NOT SUPPORT", at_status_t::error, false},
    {"TOO MANY PARAMETERS", at_status_t::error, false},
};

struct urc_entry_t {
    std::string_view name;
    bool pdu_follows;
};

// Results a modem may send at any time, also between a command and its final result. We never dial, so no
// call is ours: "NO CARRIER" is a call of somebody else's ending (one that rang during a send), not the
// final result of the command running, which still gets its own answer.
constexpr urc_entry_t unsolicited_results[] = {
    {"+CMTI", false},      {"+CMT", true},        {"+CDSI", false},  {"+CDS", true},   {"+CBM", true},
    {"+CREG", false},      {"+CGREG", false},     {"+CEREG", false}, {"+CUSD", false}, {"+CRING", false},
    {"+CLIP", false},      {"+CIEV", false},      {"+CPIN", false},  {"+CFUN", false}, {"^RSSI", false},
    {"^BOOT", false},      {"^MODE", false},      {"RING", false},   {"RDY", false},   {"SMS Ready", false},
    {"Call Ready", false}, {"NO CARRIER", false},
};

// The name of a "+NAME: args" line, or the whole line when it has no colon.
std::string_view line_name(std::string_view line) {
    const size_t colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(0, colon);
}

// "+CPMS" out of "AT+CPMS=?" or "AT+CPMS?".
std::string_view command_name(std::string_view command) {
    if (command.size() >= 2 && (command[0] == 'A' || command[0] == 'a') && (command[1] == 'T' || command[1] == 't'))
        command.remove_prefix(2);
    const size_t end = command.find_first_of("=?");
    return command.substr(0, end);
}

}  // namespace

at_line_t classify_at_line(std::string_view line, std::string_view command) {
    at_line_t out;
    for (const auto& f : final_results) {
        if (f.prefix ? line.starts_with(f.text) : line == f.text) {
            out.kind = at_line_kind_t::final_result;
            out.status = f.status;
            if (f.prefix) {
                std::string_view rest = line.substr(f.text.size());
                while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
                int code = -1;
                const auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
                out.code = ec == std::errc() && p == rest.data() + rest.size() && code >= 0 ? code : -1;
            }
            return out;
        }
    }
    const std::string_view name = line_name(line);
    const std::string_view own = command_name(command);
    if (!own.empty() && name == own) return out;
    for (const auto& u : unsolicited_results) {
        const bool has_args = u.name.starts_with('+') || u.name.starts_with('^');
        if (has_args ? name == u.name && name.size() < line.size() : line == u.name) {
            out.kind = at_line_kind_t::unsolicited;
            out.name = std::string(u.name);
            out.pdu_follows = u.pdu_follows;
            return out;
        }
    }
    return out;
}

namespace {

struct cms_range_t {
    int first, last;
    cms_class_t cls;
};

// Codes of TS 27.005 (300-511) and the network causes of TS 24.011 (0-127) that modems pass on. Only codes
// that prove the message did not leave are retried: a network cause is the network's refusal of it, the
// others stop it before it goes. Anything not listed is treated as a refusal.
constexpr cms_range_t cms_classes[] = {
    {38, 38, cms_class_t::retry},      // network out of order
    {41, 42, cms_class_t::retry},      // temporary failure, congestion
    {47, 47, cms_class_t::retry},      // resources unavailable
    {98, 98, cms_class_t::retry},      // message not compatible with protocol state
    {111, 111, cms_class_t::retry},    // protocol error
    {300, 303, cms_class_t::broken},   // ME failure, SMS service reserved, not allowed, not supported
    {310, 313, cms_class_t::broken},   // SIM missing, PIN needed, SIM failure
    {314, 314, cms_class_t::retry},    // SIM busy
    {315, 318, cms_class_t::broken},   // SIM wrong, PUK needed
    {320, 320, cms_class_t::broken},   // memory failure
    {322, 322, cms_class_t::broken},   // memory full
    {331, 331, cms_class_t::retry},    // no network service: nothing left the modem
    {332, 332, cms_class_t::unknown},  // network time-out: the service centre may have the message
    {500, 500, cms_class_t::unknown},  // unknown error: may come after the message left
    {512, 515, cms_class_t::retry},    // vendor codes for "busy, try again" (515: initialising)
};

}  // namespace

cms_class_t classify_cms_error(int code) {
    for (const auto& r : cms_classes)
        if (code >= r.first && code <= r.last) return r.cls;
    return cms_class_t::refuse;
}
