#include "script/tag_text.h"

#include <cstring>
#include <new>

#include "script/tag_pool.h"

tag_text_t::~tag_text_t() {
    tag_pool::release(data_, size_t(size_) * sizeof(char16_t));
}

namespace {

char16_t* new_units(size_t units) {
    // A text of 4 Gi units cannot come from a file (a length is checked against the bytes left) and no
    // template grows that far; it is refused rather than cut.
    if (units > UINT32_MAX) throw std::bad_alloc();
    return units == 0 ? nullptr : static_cast<char16_t*>(tag_pool::allocate(units * sizeof(char16_t)));
}

}  // namespace

void tag_text_t::assign(std::u16string_view text) {
    tag_text_t copy;
    if (!text.empty()) std::memcpy(copy.make_room(text.size()), text.data(), text.size() * sizeof(char16_t));
    *this = std::move(copy);
}

char16_t* tag_text_t::make_room(size_t units) {
    char16_t* room = new_units(units);
    tag_pool::release(data_, size_t(size_) * sizeof(char16_t));
    data_ = room;
    size_ = uint32_t(units);
    return room;
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
