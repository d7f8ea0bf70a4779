#include "platform/pdu/sms_encoder.h"

#include <gtest/gtest.h>

#include "core/text_error.h"
#include "platform/pdu/sms_decoder.h"

namespace {

sms_submit_t decode_submit(const encoded_pdu_t& pdu) {
    EXPECT_EQ(pdu.hex.substr(0, 2), "00");
    EXPECT_EQ(pdu.tpdu_length * 2 + 2, pdu.hex.size());
    return std::get<sms_submit_t>(decode_pdu_hex(pdu.hex));
}

std::u16string error_of(const sms_outgoing_t& message) {
    try {
        encode_submit(message);
    } catch (const text_error_t& e) {
        return e.text();
    }
    return u"(no error)";
}

}  // namespace

TEST(SmsEncoder, BuildsSubmitPdusOctetByOctet) {
    struct Case {
        sms_outgoing_t message;
        std::string hex;
    };
    const Case cases[] = {
        // 7-bit, international number, no class, no header.
        {{u"+46708251358", u"hellohello", std::nullopt, std::nullopt},
         "0001000B916407281553F800000AE8329BFD4697D9EC37"},
        // The bank request: class 1, ports 0x2201; the 7-octet header is exactly 8 septets, so no fill bits.
        {{u"89001234567", u"A", 0x2201}, "0041000B819800214365F70011090605042201220141"},
        // UCS-2 with class 1 and the port header.
        {{u"+7900", u"Я", 0x2201}, "0041000491970000190906050422012201042F"},
        // Class 0, national short number, the @ that is septet 0.
        {{u"123", u"@", std::nullopt, 0}, "000100038121F300100100"},
    };
    for (const auto& c : cases) {
        const auto pdus = encode_submit(c.message);
        ASSERT_EQ(pdus.size(), 1u);
        EXPECT_EQ(pdus[0].hex, c.hex);
        EXPECT_EQ(pdus[0].tpdu_length, c.hex.size() / 2 - 1);
    }
}

TEST(SmsEncoder, SplitsLongTextsWithoutCuttingACharacter) {
    const std::u16string ya = u"Я";
    const auto repeat = [](const std::u16string& s, size_t n) {
        std::u16string out;
        for (size_t i = 0; i < n; ++i) out += s;
        return out;
    };
    struct Case {
        std::u16string text;
        bool port;
        std::vector<size_t> part_lengths;  // UTF-16 units of text in each part
    };
    const Case cases[] = {
        {repeat(u"a", 152), true, {152}},
        {repeat(u"a", 153), true, {146, 7}},
        {repeat(u"a", 160), false, {160}},
        {repeat(u"a", 161), false, {153, 8}},
        {repeat(ya, 66), true, {66}},
        {repeat(ya, 67), true, {64, 3}},
        {repeat(ya, 70), false, {70}},
        {repeat(ya, 71), false, {67, 4}},
        // The escape of "€" would be the part's last septet: the whole character moves on.
        {repeat(u"a", 145) + u"€" + repeat(u"b", 10), true, {145, 11}},
        // A surrogate pair is never cut between two parts.
        {repeat(ya, 63) + u"\U0001F600" + repeat(ya, 3), true, {63, 5}},
    };
    for (const auto& c : cases) {
        sms_outgoing_t message{u"+79001234567", c.text};
        if (c.port) message.port = 0x2201;
        message.reference = 0xA7;
        const auto pdus = encode_submit(message);
        ASSERT_EQ(pdus.size(), c.part_lengths.size()) << c.text.size();
        std::u16string joined;
        for (size_t i = 0; i < pdus.size(); ++i) {
            const auto submit = decode_submit(pdus[i]);
            const auto& ud = submit.user_data;
            EXPECT_EQ(ud.text.size(), c.part_lengths[i]);
            EXPECT_EQ(submit.dcs.message_class, 1);
            if (c.port) {
                EXPECT_EQ(ud.ports, (sms_ports_t{0x2201, 0x2201, true}));
            }
            if (pdus.size() > 1) {
                EXPECT_EQ(ud.concat,
                          (sms_concat_t{0xA7, false, static_cast<uint8_t>(pdus.size()), static_cast<uint8_t>(i + 1)}));
            } else {
                EXPECT_FALSE(ud.concat);
            }
            joined += ud.text;
        }
        EXPECT_EQ(joined, c.text);
    }
}

TEST(SmsEncoder, RefusesBadNumbersClassesAndEndlessTexts) {
    struct Case {
        sms_outgoing_t message;
        std::u16string error;
    };
    const std::u16string bad_number = u"Номер должен состоять из цифр, перед которыми может стоять \"+\"";
    const Case cases[] = {
        {{u"", u"x"}, bad_number},
        {{u"+", u"x"}, bad_number},
        {{u"12a3", u"x"}, bad_number},
        {{u"+7 900 12a", u"x"}, bad_number},
        {{u"7 900 + 1", u"x"}, bad_number},
        {{u"8.900.123", u"x"}, bad_number},
        {{u" - ( ) ", u"x"}, bad_number},
        {{u"++7", u"x"}, bad_number},
        {{u"+123456789012345678901", u"x"}, u"Номер длиннее 20 цифр"},
        {{u"123", u"x", std::nullopt, 4}, u"Класс сообщения должен быть от 0 до 3"},
        {{u"123", std::u16string(255 * 153 + 1, u'a')}, u"Текст не помещается в 255 частей SMS"},
    };
    for (const auto& c : cases) EXPECT_EQ(error_of(c.message), c.error);
    // Numbers as people write them lose their spacing: "+" and digits remain.
    const std::pair<const char16_t*, sms_address_t> typed[] = {
        {u"+7 900 123-45-67", {sms_address_international, u"+79001234567"}},
        {u"8 (900) 123 45 67", {sms_address_national, u"89001234567"}},
        {u" 900\u00A0123", {sms_address_national, u"900123"}},
    };
    for (const auto& [number, address] : typed) EXPECT_EQ(parse_phone_number(number), address);
    // The largest lengths that still go.
    EXPECT_EQ(encode_submit({u"+12345678901234567890", u"x"}).size(), 1u);
    EXPECT_EQ(encode_submit({u"123", std::u16string(255 * 153, u'a')}).size(), 255u);
}

TEST(SmsEncoder, DeliverCarriesNumericOrAlphanumericSenderAndTime) {
    const sms_timestamp_t time{2026, 12, 10, 23, 59, 7, -14};
    const auto numeric = encode_deliver({u"+79001234567", u"Ответ банка", 0x2201}, time);
    ASSERT_EQ(numeric.size(), 1u);
    const auto deliver = std::get<sms_deliver_t>(decode_pdu_hex(numeric[0].hex));
    EXPECT_EQ(deliver.originator, (sms_address_t{sms_address_international, u"+79001234567"}));
    EXPECT_EQ(deliver.sc_timestamp, time);
    EXPECT_EQ(deliver.user_data.text, u"Ответ банка");
    EXPECT_EQ(deliver.user_data.ports, (sms_ports_t{0x2201, 0x2201, true}));

    const auto named = std::get<sms_deliver_t>(decode_pdu_hex(encode_deliver({u"Bank@Ostrev", u"hi"}, time)[0].hex));
    EXPECT_EQ(named.originator, (sms_address_t{sms_address_alphanumeric, u"Bank@Ostrev"}));

    const std::u16string bad_sender = u"Буквенный адрес отправителя должен быть из 1..11 знаков алфавита GSM";
    for (const std::u16string sender : {u"OstrevanBank", u"Банк", u""}) {
        try {
            encode_deliver({sender, u"hi"}, time);
            ADD_FAILURE() << "accepted a bad sender";
        } catch (const text_error_t& e) {
            EXPECT_EQ(e.text(), bad_sender);
        }
    }
}
