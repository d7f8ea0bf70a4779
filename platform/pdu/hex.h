#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Hex text as modems show PDUs: two upper-case digits per octet, no separators.
std::string to_hex(std::span<const uint8_t> bytes);

// Reads hex of either case. Throws text_error_t on an odd length or a character that is not a hex digit.
std::vector<uint8_t> from_hex(std::string_view hex);

// UTF-16 units as hex, four upper-case digits per unit, high octet first (as UCS-2 text travels in a PDU).
std::string units_to_hex(std::u16string_view units);

// The reverse, of either case; nothing when the length is not a multiple of four or a character is not a hex digit.
std::optional<std::u16string> units_from_hex(std::string_view hex);
