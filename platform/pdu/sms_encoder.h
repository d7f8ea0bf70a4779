#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdu/sms_types.h"

// One SMS to build. A text too long for one message becomes several parts of a concatenated message.
struct sms_outgoing_t {
    std::u16string address{};  // the destination of a submit, the originator of a deliver: "+" and digits, or digits
    std::u16string text{};
    std::optional<uint16_t> port{};            // application port (16-bit element, same destination and origin)
    std::optional<uint8_t> message_class = 1;  // 0..3; nullopt for no class in the coding scheme
    uint8_t reference = 0;                     // concatenation reference, used when the text needs several parts
};

struct encoded_pdu_t {
    std::string hex;     // as handed to AT+CMGS: "00" (no service-centre address) and the TPDU
    size_t tpdu_length;  // the octets after the service-centre part: the length AT+CMGS wants
};

// The parts cannot exceed 255; a longer text, a bad number or a bad class throws text_error_t.
// GSM 7-bit when every character fits (the extension table counts two septets), UCS-2 otherwise.
std::vector<encoded_pdu_t> encode_submit(const sms_outgoing_t& message);

// The same as a network-to-phone message with the given service-centre time (for the simulated modem).
// An originator that is not "+" and digits goes out as an alphanumeric address (at most 11 characters).
std::vector<encoded_pdu_t> encode_deliver(const sms_outgoing_t& message, const sms_timestamp_t& sc_timestamp);

// The address as the PDU carries it for a destination: spaces, dashes and brackets dropped, then refused
// unless "+" and digits, or digits (1..20).
sms_address_t parse_phone_number(std::u16string_view number);
