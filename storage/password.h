#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The 16-bit key of a password: the sum of each UTF-16 unit shifted left by its position, kept to 16 bits.
// Units from the sixteenth on add nothing, so only the first sixteen matter.
uint16_t password_key(std::u16string_view password);

// XORs every unit of the text with the password's key; an empty password leaves the text as it is.
// Applying it twice gives the text back.
std::u16string scramble(std::u16string_view text, std::u16string_view password);
