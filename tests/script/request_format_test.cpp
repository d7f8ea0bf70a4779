// How text variables are printed into the confirmation and into the SMS.
#include "script/request_format.h"

#include <gtest/gtest.h>

#include "vars/string_var.h"

namespace {

struct format_case_t {
    const char* what;
    std::u16string value;
    bool remove_point = false;
    bool change_date = false;
    int zero_fill_width = 0;  // 0: no zero fill
    std::u16string sent;
    std::u16string shown;
};

class RequestFormat : public testing::TestWithParam<format_case_t> {};

TEST_P(RequestFormat, SmsCarriesCodesConfirmationShowsWhatWasTyped) {
    const format_case_t& c = GetParam();
    string_var_t var(c.value);
    var.remove_point = c.remove_point;
    var.change_date = c.change_date;
    var.zero_fill = c.zero_fill_width > 0;
    var.zero_fill_width = c.zero_fill_width;
    EXPECT_EQ(print_for_request(var, false, false), c.sent);
    EXPECT_EQ(print_for_request(var, true, true), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestFormat,
    testing::Values(format_case_t{"amount_one_decimal", u"12.5", true, false, 0, u"01250", u"12.5"},
                    format_case_t{"amount_whole", u"7", true, false, 0, u"00700", u"7"},
                    format_case_t{"amount_long", u"1234.56", true, false, 0, u"123456", u"1234.56"},
                    format_case_t{"amount_point_first", u".5", true, false, 0, u"00050", u".5"},
                    format_case_t{"amount_half", u"0.5", true, false, 0, u"00050", u"0.5"},
                    format_case_t{"amount_hundred", u"100", true, false, 0, u"10000", u"100"},
                    format_case_t{"amount_three_decimals_kept", u"1.234", true, false, 0, u"01234", u"1.234"},
                    format_case_t{"amount_empty", u"", true, false, 0, u"00000", u""},
                    format_case_t{"date", u"1209", false, true, 0, u"0912", u"1209"},
                    format_case_t{"date_other", u"0911", false, true, 0, u"1109", u"0911"},
                    format_case_t{"zero_fill", u"42", false, false, 5, u"00042", u"00042"},
                    format_case_t{"zero_fill_already_wide", u"123456", false, false, 5, u"123456", u"123456"},
                    format_case_t{"zero_fill_empty_stays_empty", u"", false, false, 5, u"", u""},
                    format_case_t{"zero_fill_then_amount", u"1.5", true, false, 4, u"00150", u"01.5"},
                    format_case_t{"plain", u"BAL", false, false, 0, u"BAL", u"BAL"}),
    [](const testing::TestParamInfo<format_case_t>& case_info) { return std::string(case_info.param.what); });

TEST(RequestFormat, DisplayTextOnlyInTheConfirmation) {
    string_var_t currency(u"810");
    currency.display = u"Рубли";
    EXPECT_EQ(print_for_request(currency, true, true), u"Рубли");
    EXPECT_EQ(print_for_request(currency, false, false), u"810");
    currency.display.clear();
    EXPECT_EQ(print_for_request(currency, true, true), u"810");
}

TEST(RequestFormat, HugeZeroFillWidthIsBounded) {
    string_var_t var(u"1");
    var.zero_fill = true;
    var.zero_fill_width = 2'000'000'000;
    EXPECT_LE(print_for_request(var, false, false).size(), 1024u);
}

}  // namespace
