#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The GSM 7-bit default alphabet with its extension table, and the packing of septets into octets.

inline constexpr uint8_t gsm7_escape = 0x1B;

// The septets of a text: one per character of the default table, two (escape, code) per character of the
// extension table. nullopt when any character has no 7-bit form.
std::optional<std::vector<uint8_t>> gsm7_encode(std::u16string_view text);

// The text of septets. An escape followed by a code the extension table does not define reads as the
// default table's character; a lone escape at the end reads as a space.
std::u16string gsm7_decode(std::span<const uint8_t> septets);

// Packs septets (low bits first) after `fill_bits` zero bits, as the user data of a 7-bit SMS holds them.
std::vector<uint8_t> gsm7_pack(std::span<const uint8_t> septets, unsigned fill_bits = 0);

// The `count` septets that follow `fill_bits` bits of `octets`. The caller makes sure the octets hold them.
std::vector<uint8_t> gsm7_unpack(std::span<const uint8_t> octets, size_t count, unsigned fill_bits = 0);
