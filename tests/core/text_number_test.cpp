// The one reading of a number at the start of a text, shared by the tags (lengths, priorities) and the lint.
#include "core/text_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/u16.h"

TEST(LeadingNumber, ReadsAsTheCLibraryDoes) {
    const struct {
        std::u16string text;
        int number;
    } cases[] = {
        {u"12", 12},
        {u"  7 знаков", 7},   // white space before, anything after the digits
        {u"\t\n\v\f\r5", 5},  // every white space the C library skips
        {u"-3", -3},          // a sign
        {u"+4", 4},
        {u"", 0},  // no digits
        {u"десять", 0},
        {u"- 3", 0},                // the sign takes the digits right after it
        {u"0x10", 0},               // decimal only
        {u"99999999999", INT_MAX},  // held within int
        {u"-99999999999", -INT_MAX},
    };
    for (const auto& c : cases) EXPECT_EQ(leading_number(c.text), c.number) << to_utf8(c.text);
}
