#include "platform/modem/message_listing.h"

#include <charconv>
#include <string_view>

namespace {

bool is_hex(std::string_view s) {
    return !s.empty() && s.size() % 2 == 0 && s.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

// "+CMGL: 3,0,,24" to 3.
bool listing_index(std::string_view line, int& index) {
    if (!line.starts_with("+CMGL:")) return false;
    size_t start = 6;
    while (start < line.size() && line[start] == ' ') ++start;
    const auto [p, ec] = std::from_chars(line.data() + start, line.data() + line.size(), index);
    return ec == std::errc() && index >= 0 && p < line.data() + line.size() && *p == ',';
}

}  // namespace

message_listing_t parse_message_listing(const std::vector<std::string>& lines) {
    message_listing_t out;
    for (size_t i = 0; i < lines.size(); ++i) {
        int index = 0;
        if (listing_index(lines[i], index)) {
            if (i + 1 < lines.size() && is_hex(lines[i + 1]) && out.pdus.size() < max_listed) {
                out.pdus.push_back({index, lines[++i]});
            } else {
                out.complete = false;  // its PDU is lost in noise, or there are too many to read at once
            }
        } else if (is_hex(lines[i]) || lines[i].starts_with("+CMGL")) {
            out.complete = false;  // a PDU whose header was garbled
        }
        // Other lines (noise, unsolicited results the engine let through) say nothing about the listing.
    }
    return out;
}
