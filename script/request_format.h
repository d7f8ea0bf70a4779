#pragma once

#include <string>

class string_var_t;

// How a text variable is printed into a request. The confirmation shows what the user chose: `display`
// in place of the value (`for_display`) and amounts and dates as typed (`as_typed`). The SMS carries codes:
// the value, with leading zeros up to the variable's width, amounts in minor units of at least five digits,
// and dates with their first two digits moved to the end.
std::u16string print_for_request(const string_var_t& var, bool for_display, bool as_typed);

// An amount in minor units: the point dropped after exactly two or more decimals ("12.5" gives "01250",
// "7" gives "00700", "1234.56" gives "123456"), then zeros in front up to five digits.
std::u16string amount_in_minor_units(std::u16string text);

// "1209" gives "0912": the first two characters move to the end.
std::u16string rotated_date(const std::u16string& text);
