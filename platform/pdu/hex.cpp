#include "platform/pdu/hex.h"

#include "core/text_error.h"
#include "resources/texts.h"

namespace {

constexpr char digits[] = "0123456789ABCDEF";

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string to_hex(std::span<const uint8_t> bytes) {
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        hex += digits[b >> 4];
        hex += digits[b & 0x0F];
    }
    return hex;
}

std::vector<uint8_t> from_hex(std::string_view hex) {
    if (hex.size() % 2 != 0) throw text_error_t(texts::pdu_bad_hex);
    std::vector<uint8_t> bytes;
    bytes.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit_value(hex[i]);
        const int low = digit_value(hex[i + 1]);
        if (high < 0 || low < 0) throw text_error_t(texts::pdu_bad_hex);
        bytes.push_back(static_cast<uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string units_to_hex(std::u16string_view units) {
    std::string hex;
    hex.reserve(units.size() * 4);
    for (const char16_t u : units)
        for (int shift = 12; shift >= 0; shift -= 4) hex += digits[(u >> shift) & 0x0F];
    return hex;
}

std::optional<std::u16string> units_from_hex(std::string_view hex) {
    if (hex.size() % 4 != 0) return std::nullopt;
    std::u16string units;
    units.reserve(hex.size() / 4);
    for (size_t i = 0; i < hex.size(); i += 4) {
        unsigned value = 0;
        for (size_t j = i; j < i + 4; ++j) {
            const int d = digit_value(hex[j]);
            if (d < 0) return std::nullopt;
            value = value << 4 | unsigned(d);
        }
        units += char16_t(value);
    }
    return units;
}
