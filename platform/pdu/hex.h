#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Hex text as modems show PDUs: two upper-case digits per octet, no separators.
std::string to_hex(std::span<const uint8_t> bytes);

// Reads hex of either case. Throws text_error_t on an odd length or a character that is not a hex digit.
std::vector<uint8_t> from_hex(std::string_view hex);
