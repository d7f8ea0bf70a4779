// The modem's listing of its storage, lines of any content: every message read is a header's index and a PDU
// line in hex, never more than the bound, and nothing crashes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/modem/message_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += char(data[i]);
    }
    const message_listing_t listing = parse_message_listing(lines);
    if (listing.pdus.size() > max_listed) std::abort();
    for (const auto& pdu : listing.pdus)
        if (pdu.index < 0 || pdu.hex.empty() || pdu.hex.size() % 2 != 0) std::abort();
    return 0;
}
