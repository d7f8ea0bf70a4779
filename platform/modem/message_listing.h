#pragma once

#include <string>
#include <vector>

// One stored message as AT+CMGL lists it in PDU mode: its index in the storage and its PDU in hex.
struct listed_pdu_t {
    int index = 0;
    std::string hex;
};

struct message_listing_t {
    std::vector<listed_pdu_t> pdus;
    // False when the listing cannot be trusted to name every message: a header without its PDU right after
    // it (a line of noise in between), or a PDU line without a header. The messages read are good; the
    // listing is asked for again.
    bool complete = true;
};

// The information lines of one AT+CMGL answer ("+CMGL: 3,0,,24" followed by the PDU line). At most
// max_listed messages are read; a longer listing is incomplete.
message_listing_t parse_message_listing(const std::vector<std::string>& lines);

inline constexpr size_t max_listed = 1000;
