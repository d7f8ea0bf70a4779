#include "platform/pdu/sms_decoder.h"

#include <gtest/gtest.h>

#include "core/text_error.h"

namespace {

// PDUs are written field by field: cat({"0004", "0B919700214365F7", ...}).
std::string cat(std::initializer_list<std::string_view> fields) {
    std::string hex;
    for (auto f : fields) hex += f;
    return hex;
}

// Sender +79001234567, and the time stamp 2026-12-10 23:59:07 UTC.
constexpr std::string_view bank = "0B919700214365F7";
constexpr std::string_view stamp = "62210132957000";
const sms_timestamp_t stamp_value{2026, 12, 10, 23, 59, 7, 0};

sms_deliver_t deliver(const std::string& hex) {
    return std::get<sms_deliver_t>(decode_pdu_hex(hex));
}

std::u16string error_of(const std::string& hex) {
    try {
        decode_pdu_hex(hex);
    } catch (const text_error_t& e) {
        return e.text();
    }
    return u"(no error)";
}

}  // namespace

TEST(SmsDecoder, ReadsTheClassicDeliverVector) {
    const auto pdu = deliver("07917283010010F5040BC87238880900F10000993092516195800AE8329BFD4697D9EC37");
    EXPECT_EQ(pdu.smsc, (sms_address_t{0x91, u"+27381000015"}));
    EXPECT_EQ(pdu.originator, (sms_address_t{0xC8, u"27838890001"}));
    EXPECT_EQ(pdu.sc_timestamp, (sms_timestamp_t{1999, 3, 29, 15, 16, 59, 8}));
    EXPECT_EQ(pdu.dcs.alphabet, sms_alphabet_t::gsm7);
    EXPECT_FALSE(pdu.dcs.message_class);
    EXPECT_EQ(pdu.user_data.text, u"hellohello");
    EXPECT_TRUE(pdu.user_data.header.empty());
}

TEST(SmsDecoder, ReadsHeadersWithTheirFillBits) {
    // 7-bit text after a 6-octet header: one fill bit, then "Hi". Reading without the fill bit loses the "H".
    auto pdu = deliver(cat({"00", "44", bank, "00", "00", stamp, "09", "0500032A0201", "9069"}));
    EXPECT_EQ(pdu.user_data.text, u"Hi");
    EXPECT_EQ(pdu.user_data.concat, (sms_concat_t{0x2A, false, 2, 1}));
    EXPECT_EQ(pdu.sc_timestamp, stamp_value);

    // UCS-2 with a 16-bit concatenation, 8-bit ports and an element nobody knows, kept as it came.
    pdu = deliver(cat({"00", "40", bank, "00", "08", stamp, "10", "0D", "080412340302", "04021020", "240107", "0416"}));
    EXPECT_EQ(pdu.user_data.text, u"Ж");
    EXPECT_EQ(pdu.user_data.concat, (sms_concat_t{0x1234, true, 3, 2}));
    EXPECT_EQ(pdu.user_data.ports, (sms_ports_t{0x10, 0x20, false}));
    ASSERT_EQ(pdu.user_data.header.size(), 3u);
    EXPECT_EQ(pdu.user_data.header[2], (udh_element_t{0x24, {0x07}}));

    // A concatenation element with sequence 0 or past the count is not a part of anything.
    pdu = deliver(cat({"00", "40", bank, "00", "04", stamp, "06", "0500032A0300"}));
    EXPECT_FALSE(pdu.user_data.concat);
    EXPECT_EQ(pdu.user_data.header.size(), 1u);

    // An odd UCS-2 octet at the end is kept in the payload but makes no character.
    pdu = deliver(cat({"00", "04", bank, "00", "08", stamp, "03", "041600"}));
    EXPECT_EQ(pdu.user_data.text, u"Ж");
    EXPECT_EQ(pdu.user_data.payload.size(), 3u);
}

TEST(SmsDecoder, ReadsAlphanumericSendersStatusReportsAndSubmits) {
    EXPECT_EQ(deliver(cat({"00", "04", "07D0C2B07B0D", "00", "00", stamp, "02", "E834"})).originator,
              (sms_address_t{0xD0, u"Bank"}));

    auto report =
        std::get<sms_status_report_t>(decode_pdu_hex(cat({"00", "06", "2A", bank, stamp, "62210132957100", "00"})));
    EXPECT_EQ(report.message_reference, 0x2A);
    EXPECT_EQ(report.recipient.value, u"+79001234567");
    EXPECT_EQ(report.discharge_time.second, 17);
    EXPECT_EQ(report.status, 0);
    EXPECT_FALSE(report.user_data);

    // Failed (0x40), with the optional coding scheme and user data: a header, one fill bit, "ok".
    report = std::get<sms_status_report_t>(
        decode_pdu_hex(cat({"00", "46", "2A", bank, stamp, stamp, "40", "06", "00", "09", "0500032A0101", "DE6B"})));
    EXPECT_EQ(report.status, 0x40);
    ASSERT_TRUE(report.user_data);
    EXPECT_EQ(report.user_data->text, u"ok");

    const auto submit = std::get<sms_submit_t>(decode_pdu_hex("0011000B916407281553F80000AA0AE8329BFD4697D9EC37"));
    EXPECT_EQ(submit.destination.value, u"+46708251358");
    EXPECT_EQ(submit.validity_period, std::vector<uint8_t>{0xAA});
    EXPECT_EQ(submit.user_data.text, u"hellohello");
}

TEST(SmsDecoder, ReadsEveryCodingSchemeGroup) {
    struct Case {
        uint8_t raw;
        sms_alphabet_t alphabet;
        std::optional<int> message_class;
        bool compressed;
    };
    using enum sms_alphabet_t;
    const Case cases[] = {
        {0x00, gsm7, {}, false}, {0x04, eight_bit, {}, false}, {0x08, ucs2, {}, false}, {0x11, gsm7, 1, false},
        {0x19, ucs2, 1, false},  {0x16, eight_bit, 2, false},  {0x20, gsm7, {}, true},  {0x48, ucs2, {}, false},
        {0x0C, gsm7, {}, false}, {0x80, gsm7, {}, false},      {0xC8, gsm7, {}, false}, {0xE0, ucs2, {}, false},
        {0xF3, gsm7, 3, false},  {0xF5, eight_bit, 1, false},
    };
    for (const auto& c : cases) {
        const auto dcs = decode_dcs(c.raw);
        EXPECT_EQ(dcs, (sms_dcs_t{c.raw, c.alphabet, c.message_class, c.compressed})) << int(c.raw);
    }
}

TEST(SmsDecoder, ReadsWhatRealPhonesSendPastTheLengthsAndReservedTypes) {
    // "hellohello" in 7-bit, then padding or junk that a modem leaves after the user data.
    const std::string body = cat({bank, "00", "00", stamp, "0A", "E8329BFD4697D9EC37"});
    for (const std::string tail : {"", "FF", "FFFFFFFF", "00", "1234"}) {
        const auto d = deliver(cat({"00", "04", body, tail}));
        EXPECT_EQ(d.user_data.text, u"hellohello") << tail;
        EXPECT_EQ(d.sc_timestamp, stamp_value);
    }
    // The reserved message type is read as an SMS-DELIVER.
    EXPECT_EQ(deliver(cat({"00", "07", body})).user_data.text, u"hellohello");
    // A status report with a padding octet after it.
    const auto report =
        std::get<sms_status_report_t>(decode_pdu_hex(cat({"00", "06", "2A", bank, stamp, stamp, "00", "FF"})));
    EXPECT_EQ(report.message_reference, 0x2A);
}

TEST(SmsDecoder, RefusesBrokenPdusWithTheOffset) {
    struct Case {
        std::string hex;
        std::u16string error;
    };
    const Case cases[] = {
        {"0", u"PDU должен быть записан парами шестнадцатеричных цифр"},
        {"0G", u"PDU должен быть записан парами шестнадцатеричных цифр"},
        {"", u"PDU обрывается (байт 0)"},
        {"0C91", u"Длина адреса сервисного центра больше 11 байт (байт 0)"},
        {"0004", u"PDU обрывается (байт 2)"},
        {"000415", u"Длина адреса больше 20 цифр (байт 2)"},
        // The user data length octet is at offset 19 and the user data at 20.
        {cat({"00", "04", bank, "00", "00", stamp.substr(0, 6)}), u"PDU обрывается (байт 15)"},
        {cat({"00", "04", bank, "00", "00", stamp, "A1"}), u"Длина данных сообщения больше 140 байт (байт 19)"},
        {cat({"00", "04", bank, "00", "04", stamp, "8D"}), u"Длина данных сообщения больше 140 байт (байт 19)"},
        {cat({"00", "04", bank, "00", "00", stamp, "0A", "E8329BFD4697D9EC"}), u"PDU обрывается (байт 28)"},
        {cat({"00", "44", bank, "00", "04", stamp, "03", "050003"}),
         u"Заголовок данных длиннее самих данных (байт 20)"},
        {cat({"00", "44", bank, "00", "04", stamp, "04", "03000501"}),
         u"Элемент заголовка данных выходит за границу заголовка (байт 21)"},
        // Three octets hold the header, but its 24 bits take four septets and the length says three.
        {cat({"00", "44", bank, "00", "00", stamp, "03", "020000"}),
         u"Заголовок данных длиннее самих данных (байт 20)"},
        {cat({"00", "06", "2A", bank, stamp, stamp}), u"PDU обрывается (байт 25)"},
    };
    for (const auto& c : cases) EXPECT_EQ(error_of(c.hex), c.error) << c.hex;
}
