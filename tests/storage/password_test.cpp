#include "storage/password.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordKey, KnownAnswers) {
    struct {
        std::u16string password;
        uint16_t key;
    } cases[] = {
        {u"", 0x0000},
        {u"1234", 0x0301},  // 0x31 + 0x32<<1 + 0x33<<2 + 0x34<<3
        {u"0000", 0x02D0},
        {u"1025", 0x0301},          // another PIN with the same key as 1234
        {u"\xFFFF\xFFFF", 0xFFFD},  // the sum is kept to 16 bits after each step
        {std::u16string(16, u'a'), 0xFF9F},
        {std::u16string(16, u'a') + u"zzz", 0xFF9F},  // units past the sixteenth add nothing
    };
    for (const auto& c : cases) EXPECT_EQ(password_key(c.password), c.key) << c.password.size();
}

TEST(Scramble, XorsEveryUnitWithTheKeyAndIsItsOwnInverse) {
    EXPECT_EQ(scramble(u"mfc", u"1234"), (std::u16string{0x036C, 0x0367, 0x0362}));
    EXPECT_EQ(scramble(scramble(u"Карта 1111", u"9876"), u"9876"), u"Карта 1111");
    EXPECT_EQ(scramble(u"as is", u""), u"as is");
    EXPECT_EQ(scramble(u"", u"1234"), u"");
}

}  // namespace
