#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// Replaces %1, %2, ... in a message pattern by the given texts.
std::u16string format_text(std::u16string_view pattern, std::initializer_list<std::u16string_view> args);

// Decimal form of a number, for messages.
std::u16string number_text(int64_t value);
