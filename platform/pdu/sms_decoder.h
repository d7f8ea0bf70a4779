#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/pdu/sms_types.h"

// Decodes one PDU as a modem lists it: the service-centre address first, then the TPDU. The message type
// indicator chooses the kind: 0 SMS-DELIVER, 1 SMS-SUBMIT, 2 SMS-STATUS-REPORT; the reserved 3 is read as
// an SMS-DELIVER, as phones do. Every length is checked against the octets there are, and octets past what
// the lengths describe are ignored; any octet string gives a PDU or a text_error_t naming the fault and its
// octet offset, never a read past the end.
sms_pdu_t decode_pdu(std::span<const uint8_t> pdu);
sms_pdu_t decode_pdu_hex(std::string_view hex);

// The data coding scheme octet: alphabet, message class, compression.
sms_dcs_t decode_dcs(uint8_t raw);
