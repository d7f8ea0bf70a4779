#include "platform/pdu/gsm7.h"

#include <array>

namespace {

// The default table, indexed by septet. 0x1B is the escape to the extension table.
constexpr char16_t default_table[128] = {
    u'@', u'£', u'$', u'¥', u'è', u'é', u'ù', u'ì',  u'ò', u'Ç', u'\n', u'Ø',    u'ø', u'\r', u'Å', u'å',
    u'Δ', u'_', u'Φ', u'Γ', u'Λ', u'Ω', u'Π', u'Ψ',  u'Σ', u'Θ', u'Ξ',  u'\x1B', u'Æ', u'æ',  u'ß', u'É',
    u' ', u'!', u'"', u'#', u'¤', u'%', u'&', u'\'', u'(', u')', u'*',  u'+',    u',', u'-',  u'.', u'/',
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7',  u'8', u'9', u':',  u';',    u'<', u'=',  u'>', u'?',
    u'¡', u'A', u'B', u'C', u'D', u'E', u'F', u'G',  u'H', u'I', u'J',  u'K',    u'L', u'M',  u'N', u'O',
    u'P', u'Q', u'R', u'S', u'T', u'U', u'V', u'W',  u'X', u'Y', u'Z',  u'Ä',    u'Ö', u'Ñ',  u'Ü', u'§',
    u'¿', u'a', u'b', u'c', u'd', u'e', u'f', u'g',  u'h', u'i', u'j',  u'k',    u'l', u'm',  u'n', u'o',
    u'p', u'q', u'r', u's', u't', u'u', u'v', u'w',  u'x', u'y', u'z',  u'ä',    u'ö', u'ñ',  u'ü', u'à',
};

struct extension_t {
    uint8_t code;
    char16_t character;
};
constexpr extension_t extension_table[] = {
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['},  {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'€'},
};

}  // namespace

std::optional<std::vector<uint8_t>> gsm7_encode(std::u16string_view text) {
    std::vector<uint8_t> septets;
    septets.reserve(text.size());
    for (char16_t c : text) {
        bool found = false;
        for (uint8_t i = 0; i < 128 && !found; ++i) {
            if (i != gsm7_escape && default_table[i] == c) {
                septets.push_back(i);
                found = true;
            }
        }
        for (const auto& e : extension_table) {
            if (!found && e.character == c) {
                septets.push_back(gsm7_escape);
                septets.push_back(e.code);
                found = true;
            }
        }
        if (!found) return std::nullopt;
    }
    return septets;
}

std::u16string gsm7_decode(std::span<const uint8_t> septets) {
    std::u16string text;
    text.reserve(septets.size());
    for (size_t i = 0; i < septets.size(); ++i) {
        const uint8_t s = septets[i] & 0x7F;
        if (s != gsm7_escape) {
            text += default_table[s];
            continue;
        }
        if (i + 1 == septets.size()) {
            text += u' ';
            break;
        }
        const uint8_t code = septets[++i] & 0x7F;
        char16_t c = code == gsm7_escape ? u' ' : default_table[code];
        for (const auto& e : extension_table) {
            if (e.code == code) c = e.character;
        }
        text += c;
    }
    return text;
}

std::vector<uint8_t> gsm7_pack(std::span<const uint8_t> septets, unsigned fill_bits) {
    const size_t bits = fill_bits + septets.size() * 7;
    std::vector<uint8_t> octets((bits + 7) / 8, 0);
    size_t bit = fill_bits;
    for (uint8_t s : septets) {
        const unsigned value = s & 0x7F;
        octets[bit / 8] |= static_cast<uint8_t>(value << (bit % 8));
        if (bit % 8 > 1) octets[bit / 8 + 1] |= static_cast<uint8_t>(value >> (8 - bit % 8));
        bit += 7;
    }
    return octets;
}

std::vector<uint8_t> gsm7_unpack(std::span<const uint8_t> octets, size_t count, unsigned fill_bits) {
    std::vector<uint8_t> septets;
    septets.reserve(count);
    size_t bit = fill_bits;
    for (size_t i = 0; i < count; ++i, bit += 7) {
        unsigned value = octets[bit / 8] >> (bit % 8);
        if (bit % 8 > 1) value |= static_cast<unsigned>(octets[bit / 8 + 1]) << (8 - bit % 8);
        septets.push_back(static_cast<uint8_t>(value & 0x7F));
    }
    return septets;
}
