#include "storage/password.h"

uint16_t password_key(std::u16string_view password) {
    uint16_t key = 0;
    for (size_t i = 0; i < password.size() && i < 16; ++i) {
        key = static_cast<uint16_t>(key + (static_cast<uint32_t>(password[i]) << i));
    }
    return key;
}

std::u16string scramble(std::u16string_view text, std::u16string_view password) {
    std::u16string out(text);
    if (password.empty()) return out;
    const uint16_t key = password_key(password);
    for (char16_t& c : out) c = static_cast<char16_t>(c ^ key);
    return out;
}
