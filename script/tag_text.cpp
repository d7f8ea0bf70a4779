#include "script/tag_text.h"

#include <cstring>
#include <new>

#include "script/tag_pool.h"

tag_text_t::~tag_text_t() {
    tag_pool::release(data_, size_t(size_) * sizeof(char16_t));
}

void tag_text_t::assign(std::u16string_view text) {
    // A text of 4 Gi units cannot come from a file (a length is checked against the bytes left) and no
    // template grows that far; it is refused rather than cut.
    if (text.size() > UINT32_MAX) throw std::bad_alloc();
    char16_t* copy = nullptr;
    if (!text.empty()) {
        copy = static_cast<char16_t*>(tag_pool::allocate(text.size() * sizeof(char16_t)));
        std::memcpy(copy, text.data(), text.size() * sizeof(char16_t));
    }
    tag_pool::release(data_, size_t(size_) * sizeof(char16_t));
    data_ = copy;
    size_ = uint32_t(text.size());
}

std::u16string operator+(std::u16string_view a, const tag_text_t& b) {
    std::u16string joined;
    joined.reserve(a.size() + b.size());
    return joined.append(a).append(b.view());
}

std::u16string operator+(const tag_text_t& a, std::u16string_view b) {
    std::u16string joined;
    joined.reserve(a.size() + b.size());
    return joined.append(a.view()).append(b);
}
