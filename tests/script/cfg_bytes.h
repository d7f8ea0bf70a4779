#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

using byte_vector = std::vector<unsigned char>;

// A file in the archive's encoding, unscrambled (the script's own form).
struct cfg_bytes_t {
    byte_vector bytes;

    cfg_bytes_t& i32(int32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(uint32_t(v) >> (8 * i)));
        return *this;
    }
    cfg_bytes_t& str(std::u16string_view text) {  // texts shorter than 255 units
        bytes.insert(bytes.end(), {0xFF, 0xFE, 0xFF, static_cast<unsigned char>(text.size())});
        for (char16_t c : text)
            bytes.insert(bytes.end(), {static_cast<unsigned char>(c & 0xFF), static_cast<unsigned char>(c >> 8)});
        return *this;
    }
    cfg_bytes_t& header() { return str(u"mfc arhive"); }
};
