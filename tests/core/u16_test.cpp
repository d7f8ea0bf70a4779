#include "core/u16.h"

#include <gtest/gtest.h>

#include "core/text_error.h"

TEST(U16, RoundTripsEveryPlaneThroughUtf8) {
    const std::u16string text = u"Отправка смс... A\u00e9\u20ac\U0001F600";
    EXPECT_EQ(from_utf8(to_utf8(text)), text);
    EXPECT_EQ(to_utf8(u"Неверный пароль"), "Неверный пароль");
}

TEST(U16, BrokenInputBecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"a\xff"
         "b",
         u"a\uFFFDb"},                  // byte that starts nothing
        {"\xd0", u"\uFFFD"},            // truncated two-byte sequence
        {"\xc0\x80", u"\uFFFD"},        // overlong NUL
        {"\xed\xa0\x80x", u"\uFFFDx"},  // encoded surrogate
        {"\xe2\x82z", u"\uFFFDz"},      // sequence cut by an ASCII byte
    };
    for (const auto& c : cases) EXPECT_EQ(from_utf8(c.utf8), c.utf16) << c.utf8;
    EXPECT_EQ(to_utf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
}

TEST(TextError, CarriesItsTextUnchanged) {
    try {
        throw text_error_t(u"Не тот тип переменной");
    } catch (const text_error_t& e) {
        EXPECT_EQ(e.text(), u"Не тот тип переменной");
        EXPECT_STREQ(e.what(), "Не тот тип переменной");
    }
}
