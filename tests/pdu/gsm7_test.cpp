#include "platform/pdu/gsm7.h"

#include <gtest/gtest.h>

#include "platform/pdu/hex.h"

TEST(Gsm7, PacksTheClassicVectorAndEveryFillWidth) {
    // "hellohello" is the worked example of the 7-bit packing.
    const auto septets = gsm7_encode(u"hellohello").value();
    EXPECT_EQ(to_hex(gsm7_pack(septets)), "E8329BFD4697D9EC37");
    for (unsigned fill = 0; fill < 7; ++fill) {
        const auto packed = gsm7_pack(septets, fill);
        EXPECT_EQ(packed.size(), (fill + septets.size() * 7 + 7) / 8);
        EXPECT_EQ(gsm7_unpack(packed, septets.size(), fill), septets) << fill;
    }
}

TEST(Gsm7, MapsTheDefaultAndExtensionTables) {
    struct Case {
        std::u16string text;
        std::vector<uint8_t> septets;
    };
    const Case cases[] = {
        {u"@£$¥\n\rΔ_ÄÖÑÜ§¿äöñüà",
         {0x00, 0x01, 0x02, 0x03, 0x0A, 0x0D, 0x10, 0x11, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E,
          0x7F}},
        {u"{}[]~\\|^€\f", {0x1B, 0x28, 0x1B, 0x29, 0x1B, 0x3C, 0x1B, 0x3E, 0x1B, 0x3D,
                           0x1B, 0x2F, 0x1B, 0x40, 0x1B, 0x14, 0x1B, 0x65, 0x1B, 0x0A}},
        {u"A1 ?", {0x41, 0x31, 0x20, 0x3F}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gsm7_encode(c.text), c.septets);
        EXPECT_EQ(gsm7_decode(c.septets), c.text);
    }
    // Nothing outside the tables is squeezed in: Cyrillic, a backtick, an emoji.
    for (const std::u16string text : {u"Баланс", u"`", u"\U0001F600"}) EXPECT_FALSE(gsm7_encode(text));
    // An undefined escape reads as the default character, a lone trailing escape as a space.
    EXPECT_EQ(gsm7_decode(std::vector<uint8_t>{0x1B, 0x41, 0x42, 0x1B}), u"AB ");
}
