// The PDU decoder on any octets, and the reassembler fed with what it decodes. The whole input is one PDU;
// read again as records (one length octet, then that many octets) it is a stream of PDUs from the modem.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/text_error.h"
#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_reassembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    try {
        decode_pdu(input);
    } catch (const text_error_t&) {
    }

    int64_t seconds = 0;
    sms_reassembler_t reassembler(std::chrono::seconds(30), [&seconds] {
        return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
    });
    for (size_t at = 0; at < input.size(); seconds += 7) {
        const size_t length = std::min<size_t>(input[at], input.size() - at - 1);
        try {
            const sms_pdu_t pdu = decode_pdu(input.subspan(at + 1, length));
            if (const auto* deliver = std::get_if<sms_deliver_t>(&pdu)) reassembler.add(*deliver);
        } catch (const text_error_t&) {
        }
        at += 1 + length;
    }
    seconds += 60;
    reassembler.expire();
    return 0;
}
