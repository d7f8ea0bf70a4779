#include "platform/pdu/sms_encoder.h"

#include <algorithm>
#include <type_traits>

#include "core/text_error.h"
#include "platform/pdu/gsm7.h"
#include "platform/pdu/hex.h"
#include "resources/texts.h"

namespace {

constexpr size_t user_data_octets = 140;
constexpr size_t max_parts = 255;

void append_bcd(std::vector<uint8_t>& out, std::u16string_view digits) {
    for (size_t i = 0; i < digits.size(); i += 2) {
        const uint8_t low = static_cast<uint8_t>(digits[i] - u'0');
        const uint8_t high = i + 1 < digits.size() ? static_cast<uint8_t>(digits[i + 1] - u'0') : 0x0F;
        out.push_back(static_cast<uint8_t>(high << 4 | low));
    }
}

void append_address(std::vector<uint8_t>& out, const sms_address_t& address) {
    if (address.type == sms_address_alphanumeric) {
        const auto septets = gsm7_encode(address.value).value();
        const auto packed = gsm7_pack(septets);
        out.push_back(static_cast<uint8_t>((septets.size() * 7 + 3) / 4));  // semi-octets in use
        out.push_back(address.type);
        out.insert(out.end(), packed.begin(), packed.end());
        return;
    }
    std::u16string_view digits = address.value;
    if (!digits.empty() && digits.front() == u'+') digits.remove_prefix(1);
    out.push_back(static_cast<uint8_t>(digits.size()));
    out.push_back(address.type);
    append_bcd(out, digits);
}

void append_timestamp(std::vector<uint8_t>& out, const sms_timestamp_t& t) {
    const auto swapped = [](int value) { return static_cast<uint8_t>((value % 10) << 4 | (value / 10) % 10); };
    for (int value : {t.year % 100, t.month, t.day, t.hour, t.minute, t.second}) out.push_back(swapped(value));
    const int quarters = t.zone_quarters < 0 ? -t.zone_quarters : t.zone_quarters;
    out.push_back(static_cast<uint8_t>(swapped(quarters % 80) | (t.zone_quarters < 0 ? 0x08 : 0x00)));
}

uint8_t coding_scheme(bool ucs2, const std::optional<uint8_t>& message_class) {
    uint8_t dcs = ucs2 ? 0x08 : 0x00;
    if (message_class) dcs |= static_cast<uint8_t>(0x10 | *message_class);
    return dcs;
}

// The header of every part: the ports element when a port is given, the concatenation element when the
// text is split. The UDHL octet is included.
std::vector<uint8_t> user_data_header(const sms_outgoing_t& message, size_t count, size_t sequence) {
    std::vector<uint8_t> header;
    if (message.port) {
        const uint8_t high = static_cast<uint8_t>(*message.port >> 8), low = static_cast<uint8_t>(*message.port);
        header.insert(header.end(), {udh_ports_16bit, 4, high, low, high, low});
    }
    if (count > 1) {
        header.insert(header.end(), {udh_concat_8bit, 3, message.reference, static_cast<uint8_t>(count),
                                     static_cast<uint8_t>(sequence)});
    }
    if (!header.empty()) header.insert(header.begin(), static_cast<uint8_t>(header.size()));
    return header;
}

size_t header_septets(size_t header_octets) {
    return (header_octets * 8 + 6) / 7;
}

// How many units (septets or UTF-16 units) a part holds beside a header of that many octets.
size_t capacity(bool ucs2, size_t header_octets) {
    return ucs2 ? (user_data_octets - header_octets) / 2 : user_data_octets * 8 / 7 - header_septets(header_octets);
}

// Cuts units into parts of at most `size`, never between an escape and its code (7-bit) nor between the two
// halves of a surrogate pair (UCS-2).
template <typename unit_t>
std::vector<std::vector<unit_t>> split(const std::vector<unit_t>& units, size_t size, bool ucs2) {
    std::vector<std::vector<unit_t>> parts;
    size_t start = 0;
    while (start < units.size()) {
        size_t end = std::min(start + size, units.size());
        if (end < units.size()) {
            const unit_t last = units[end - 1];
            const bool cut_pair = ucs2 ? (last >= 0xD800 && last <= 0xDBFF) : last == gsm7_escape;
            if (cut_pair) --end;
        }
        parts.emplace_back(units.begin() + start, units.begin() + end);
        start = end;
    }
    return parts;
}

// The user data (UDL onwards) of every part.
std::vector<std::vector<uint8_t>> user_data_parts(const sms_outgoing_t& message, uint8_t& dcs) {
    if (message.message_class && *message.message_class > 3) throw text_error_t(texts::pdu_bad_class);
    const auto septets = gsm7_encode(message.text);
    const bool ucs2 = !septets;
    dcs = coding_scheme(ucs2, message.message_class);
    const std::vector<char16_t> units(message.text.begin(), message.text.end());
    const size_t length = ucs2 ? units.size() : septets->size();

    size_t count = 1;
    if (length > capacity(ucs2, user_data_header(message, 1, 1).size())) {
        const size_t size = capacity(ucs2, user_data_header(message, 2, 1).size());
        count = ucs2 ? split(units, size, true).size() : split(*septets, size, false).size();
        if (count > max_parts) throw text_error_t(texts::pdu_text_too_long);
    }
    const size_t size = capacity(ucs2, user_data_header(message, count, 1).size());

    std::vector<std::vector<uint8_t>> result;
    const auto add = [&](const auto& part_units, size_t sequence) {
        std::vector<uint8_t> header = user_data_header(message, count, sequence);
        std::vector<uint8_t> ud(1, 0);
        ud.insert(ud.end(), header.begin(), header.end());
        if constexpr (std::is_same_v<typename std::decay_t<decltype(part_units)>::value_type, char16_t>) {
            for (char16_t u : part_units) ud.insert(ud.end(), {static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)});
            ud[0] = static_cast<uint8_t>(ud.size() - 1);
        } else {
            const size_t head = header_septets(header.size());
            const auto packed = gsm7_pack(part_units, static_cast<unsigned>(head * 7 - header.size() * 8));
            ud.insert(ud.end(), packed.begin(), packed.end());
            ud[0] = static_cast<uint8_t>(head + part_units.size());
        }
        result.push_back(std::move(ud));
    };
    // A single part takes the whole text (the empty text too); more are cut to the part size.
    const auto add_all = [&](const auto& all) {
        const auto parts = count == 1 ? std::vector(1, all) : split(all, size, ucs2);
        for (size_t i = 0; i < parts.size(); ++i) add(parts[i], i + 1);
    };
    if (ucs2) {
        add_all(units);
    } else {
        add_all(*septets);
    }
    return result;
}

std::vector<encoded_pdu_t> assemble(const sms_outgoing_t& message, const std::vector<uint8_t>& before_dcs,
                                    const std::vector<uint8_t>& after_dcs) {
    uint8_t dcs = 0;
    const auto parts = user_data_parts(message, dcs);
    std::vector<encoded_pdu_t> pdus;
    for (const auto& ud : parts) {
        std::vector<uint8_t> tpdu = before_dcs;
        const bool has_header = message.port || parts.size() > 1;
        if (has_header) tpdu[0] |= 0x40;  // TP-UDHI
        tpdu.push_back(dcs);
        tpdu.insert(tpdu.end(), after_dcs.begin(), after_dcs.end());
        tpdu.insert(tpdu.end(), ud.begin(), ud.end());
        pdus.push_back({"00" + to_hex(tpdu), tpdu.size()});
    }
    return pdus;
}

}  // namespace

sms_address_t parse_phone_number(std::u16string_view typed) {
    // A number as a person types it: "+7 900 123-45-67", "8 (900) 123 45 67". The spacing goes; anything
    // else that is not a digit (or the "+" in front) is refused.
    std::u16string number;
    for (const char16_t c : typed)
        if (c != u' ' && c != u'-' && c != u'(' && c != u')' && c != u'\u00A0') number += c;
    sms_address_t address;
    address.type = sms_address_national;
    std::u16string_view digits = number;
    if (!digits.empty() && digits.front() == u'+') {
        address.type = sms_address_international;
        digits.remove_prefix(1);
    }
    if (digits.empty()) throw text_error_t(texts::pdu_bad_number);
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') throw text_error_t(texts::pdu_bad_number);
    }
    if (digits.size() > 20) throw text_error_t(texts::pdu_number_too_long);
    address.value = number;
    return address;
}

std::vector<encoded_pdu_t> encode_submit(const sms_outgoing_t& message) {
    // SMS-SUBMIT, no validity period, no status report; the modem fills in the message reference.
    std::vector<uint8_t> head{0x01, 0x00};
    append_address(head, parse_phone_number(message.address));
    head.push_back(0x00);  // PID
    return assemble(message, head, {});
}

std::vector<encoded_pdu_t> encode_deliver(const sms_outgoing_t& message, const sms_timestamp_t& sc_timestamp) {
    sms_address_t originator;
    try {
        originator = parse_phone_number(message.address);
    } catch (const text_error_t&) {
        const auto septets = gsm7_encode(message.address);
        if (!septets || septets->empty() || septets->size() > 11) throw text_error_t(texts::pdu_bad_sender);
        originator = {sms_address_alphanumeric, message.address};
    }
    std::vector<uint8_t> head{0x04};  // SMS-DELIVER, no more messages waiting
    append_address(head, originator);
    head.push_back(0x00);  // PID
    std::vector<uint8_t> tail;
    append_timestamp(tail, sc_timestamp);
    return assemble(message, head, tail);
}
