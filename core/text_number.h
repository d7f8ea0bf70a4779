#pragma once

#include <string_view>

// The decimal number a text starts with, as the C library reads one: white space (space, tab, line breaks,
// vertical tab, form feed), a sign, then digits up to the first other character; 0 without digits. Held
// within the range of int. Scripts give lengths and priorities this way.
int leading_number(std::u16string_view text);
