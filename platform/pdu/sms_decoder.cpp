#include "platform/pdu/sms_decoder.h"

#include <string>

#include "core/text_error.h"
#include "platform/pdu/gsm7.h"
#include "platform/pdu/hex.h"
#include "resources/texts.h"

namespace {

constexpr size_t max_user_data_octets = 140;
constexpr size_t max_user_data_septets = 160;
constexpr size_t max_address_digits = 20;
constexpr size_t max_smsc_octets = 11;  // type octet and ten octets of digits

[[noreturn]] void fail(const char16_t* text, size_t offset) {
    const std::string number = std::to_string(offset);
    throw text_error_t(std::u16string(text) + texts::pdu_at_octet + std::u16string(number.begin(), number.end()) +
                       u")");
}

// Reads octets in order; every read past the end is a clear error naming the offset.
class reader_t {
public:
    explicit reader_t(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t offset() const { return offset_; }
    size_t left() const { return bytes_.size() - offset_; }
    uint8_t octet() { return take(1)[0]; }
    std::span<const uint8_t> take(size_t count) {
        if (count > left()) fail(texts::pdu_truncated, bytes_.size());
        const auto part = bytes_.subspan(offset_, count);
        offset_ += count;
        return part;
    }
    std::span<const uint8_t> rest() { return take(left()); }

private:
    std::span<const uint8_t> bytes_;
    size_t offset_ = 0;
};

std::u16string bcd_digits(std::span<const uint8_t> octets, size_t count) {
    static constexpr char16_t semi_octets[] = u"0123456789*#abc";
    std::u16string digits;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t nibble = i % 2 == 0 ? octets[i / 2] & 0x0F : octets[i / 2] >> 4;
        if (nibble == 0x0F) break;  // filler
        digits += semi_octets[nibble];
    }
    return digits;
}

sms_address_t address_value(uint8_t type, std::span<const uint8_t> octets, size_t semi_octets) {
    sms_address_t address{type, {}};
    if ((type & 0x70) == 0x50) {  // alphanumeric: packed 7-bit text
        address.value = gsm7_decode(gsm7_unpack(octets, semi_octets * 4 / 7));
    } else {
        address.value = bcd_digits(octets, semi_octets);
        if ((type & 0x70) == 0x10 && !address.value.empty()) address.value.insert(0, 1, u'+');
    }
    return address;
}

// The originator, destination or recipient: length in semi-octets, type, then the semi-octets.
sms_address_t read_address(reader_t& in) {
    const size_t at = in.offset();
    const size_t length = in.octet();
    if (length > max_address_digits) fail(texts::pdu_bad_address_length, at);
    const uint8_t type = in.octet();
    return address_value(type, in.take((length + 1) / 2), length);
}

// The service-centre address: length in octets (type included), 0 for none.
sms_address_t read_smsc(reader_t& in) {
    const size_t length = in.octet();
    if (length == 0) return {0, {}};
    if (length > max_smsc_octets) fail(texts::pdu_bad_smsc_length, 0);
    const uint8_t type = in.octet();
    return address_value(type, in.take(length - 1), (length - 1) * 2);
}

sms_timestamp_t read_timestamp(reader_t& in) {
    const auto o = in.take(7);
    const auto value = [](uint8_t octet) { return (octet & 0x0F) * 10 + (octet >> 4); };
    sms_timestamp_t t;
    t.year = value(o[0]) >= 90 ? 1900 + value(o[0]) : 2000 + value(o[0]);  // the two digits span 1990..2089
    t.month = value(o[1]);
    t.day = value(o[2]);
    t.hour = value(o[3]);
    t.minute = value(o[4]);
    t.second = value(o[5]);
    t.zone_quarters = (o[6] & 0x07) * 10 + (o[6] >> 4);
    if (o[6] & 0x08) t.zone_quarters = -t.zone_quarters;
    return t;
}

// Reads the header elements and picks out the ports and the concatenation. An element of a known id with a
// wrong length, or a concatenation with an impossible sequence, is kept but not interpreted.
void read_header(std::span<const uint8_t> header, size_t base, sms_user_data_t& ud) {
    size_t i = 0;
    while (i < header.size()) {
        if (header.size() - i < 2 || header[i + 1] > header.size() - i - 2) {
            fail(texts::pdu_bad_header_element, base + i);
        }
        udh_element_t element{header[i], {header.begin() + i + 2, header.begin() + i + 2 + header[i + 1]}};
        const auto& d = element.data;
        if (element.id == udh_ports_8bit && d.size() == 2) {
            ud.ports = sms_ports_t{d[0], d[1], false};
        } else if (element.id == udh_ports_16bit && d.size() == 4) {
            ud.ports =
                sms_ports_t{static_cast<uint16_t>(d[0] << 8 | d[1]), static_cast<uint16_t>(d[2] << 8 | d[3]), true};
        } else if (element.id == udh_concat_8bit && d.size() == 3 && d[1] > 0 && d[2] > 0 && d[2] <= d[1]) {
            ud.concat = sms_concat_t{d[0], false, d[1], d[2]};
        } else if (element.id == udh_concat_16bit && d.size() == 4 && d[2] > 0 && d[3] > 0 && d[3] <= d[2]) {
            ud.concat = sms_concat_t{static_cast<uint16_t>(d[0] << 8 | d[1]), true, d[2], d[3]};
        }
        i += 2 + d.size();
        ud.header.push_back(std::move(element));
    }
}

// The user data from the UDL octet to the end of the PDU, which it must fill exactly.
sms_user_data_t read_user_data(reader_t& in, const sms_dcs_t& dcs, bool has_header) {
    const size_t udl_at = in.offset();
    const size_t udl = in.octet();
    const bool septets = dcs.alphabet == sms_alphabet_t::gsm7 && !dcs.compressed;
    if (udl > (septets ? max_user_data_septets : max_user_data_octets)) fail(texts::pdu_bad_user_data_length, udl_at);
    const size_t octets = septets ? (udl * 7 + 7) / 8 : udl;
    const size_t data_at = in.offset();
    if (in.left() < octets) fail(texts::pdu_truncated, data_at + in.left());
    if (in.left() > octets) fail(texts::pdu_trailing_octets, data_at + octets);
    const auto data = in.take(octets);

    sms_user_data_t ud;
    size_t header_octets = 0;
    if (has_header) {
        header_octets = octets == 0 ? 1 : data[0] + 1;
        if (header_octets > octets) fail(texts::pdu_bad_header_length, data_at);
        read_header(data.subspan(1, header_octets - 1), data_at + 1, ud);
    }
    if (septets) {
        // The text starts on the next septet boundary after the header; the bits between are fill.
        const size_t header_septets = (header_octets * 8 + 6) / 7;
        if (header_septets > udl) fail(texts::pdu_bad_header_length, data_at);
        const auto body = data.subspan(header_octets);
        ud.payload =
            gsm7_unpack(body, udl - header_septets, static_cast<unsigned>(header_septets * 7 - header_octets * 8));
        ud.text = gsm7_decode(ud.payload);
    } else {
        const auto body = data.subspan(header_octets);
        ud.payload.assign(body.begin(), body.end());
        if (dcs.alphabet == sms_alphabet_t::ucs2 && !dcs.compressed) {
            for (size_t i = 0; i + 1 < body.size(); i += 2)
                ud.text += static_cast<char16_t>(body[i] << 8 | body[i + 1]);
        }
    }
    return ud;
}

sms_deliver_t read_deliver(reader_t& in, sms_address_t smsc, uint8_t first) {
    sms_deliver_t pdu;
    pdu.smsc = std::move(smsc);
    pdu.first_octet = first;
    pdu.originator = read_address(in);
    pdu.pid = in.octet();
    pdu.dcs = decode_dcs(in.octet());
    pdu.sc_timestamp = read_timestamp(in);
    pdu.user_data = read_user_data(in, pdu.dcs, first & 0x40);
    return pdu;
}

sms_submit_t read_submit(reader_t& in, sms_address_t smsc, uint8_t first) {
    sms_submit_t pdu;
    pdu.smsc = std::move(smsc);
    pdu.first_octet = first;
    pdu.message_reference = in.octet();
    pdu.destination = read_address(in);
    pdu.pid = in.octet();
    pdu.dcs = decode_dcs(in.octet());
    const unsigned vpf = (first >> 3) & 0x03;
    const auto vp = in.take(vpf == 0 ? 0 : vpf == 2 ? 1 : 7);
    pdu.validity_period.assign(vp.begin(), vp.end());
    pdu.user_data = read_user_data(in, pdu.dcs, first & 0x40);
    return pdu;
}

sms_status_report_t read_status_report(reader_t& in, sms_address_t smsc, uint8_t first) {
    sms_status_report_t pdu;
    pdu.smsc = std::move(smsc);
    pdu.first_octet = first;
    pdu.message_reference = in.octet();
    pdu.recipient = read_address(in);
    pdu.sc_timestamp = read_timestamp(in);
    pdu.discharge_time = read_timestamp(in);
    pdu.status = in.octet();
    if (in.left() == 0) return pdu;
    const uint8_t indicator = in.octet();                            // which optional fields follow
    for (uint8_t more = indicator; more & 0x80;) more = in.octet();  // extension octets, none defined yet
    if (indicator & 0x01) pdu.pid = in.octet();
    if (indicator & 0x02) pdu.dcs = decode_dcs(in.octet());
    if (indicator & 0x04) pdu.user_data = read_user_data(in, pdu.dcs.value_or(sms_dcs_t{}), first & 0x40);
    if (in.left() > 0) fail(texts::pdu_trailing_octets, in.offset());
    return pdu;
}

}  // namespace

sms_dcs_t decode_dcs(uint8_t raw) {
    sms_dcs_t dcs;
    dcs.raw = raw;
    const unsigned group = raw >> 4;
    if (group <= 0x07) {  // general data coding, also with automatic deletion
        dcs.compressed = raw & 0x20;
        const unsigned alphabet = (raw >> 2) & 0x03;
        dcs.alphabet = alphabet == 1   ? sms_alphabet_t::eight_bit
                       : alphabet == 2 ? sms_alphabet_t::ucs2
                                       : sms_alphabet_t::gsm7;
        if (raw & 0x10) dcs.message_class = raw & 0x03;
    } else if (group == 0x0E) {  // message waiting indication, UCS-2 text
        dcs.alphabet = sms_alphabet_t::ucs2;
    } else if (group == 0x0F) {  // data coding and message class
        dcs.alphabet = raw & 0x04 ? sms_alphabet_t::eight_bit : sms_alphabet_t::gsm7;
        dcs.message_class = raw & 0x03;
    }
    // The reserved groups and the other waiting indications read as 7-bit text.
    return dcs;
}

sms_pdu_t decode_pdu(std::span<const uint8_t> pdu) {
    reader_t in(pdu);
    sms_address_t smsc = read_smsc(in);
    const size_t first_at = in.offset();
    const uint8_t first = in.octet();
    switch (first & 0x03) {
        case 0:
            return read_deliver(in, std::move(smsc), first);
        case 1:
            return read_submit(in, std::move(smsc), first);
        case 2:
            return read_status_report(in, std::move(smsc), first);
        default:
            fail(texts::pdu_unknown_type, first_at);
    }
}

sms_pdu_t decode_pdu_hex(std::string_view hex) {
    return decode_pdu(from_hex(hex));
}
