#include "script/tag_text.h"

#include <cstring>
#include <new>

#include "script/tree_store.h"

namespace {

// The slot's bytes before the characters: the length.
constexpr size_t header_bytes = sizeof(uint32_t);

size_t slot_bytes(size_t units) {
    return header_bytes + units * sizeof(char16_t);
}

}  // namespace

tag_text_t::~tag_text_t() {
    release(data_);
}

void tag_text_t::release(char16_t* data) noexcept {
    if (!data) return;
    char* slot = reinterpret_cast<char*>(data) - header_bytes;
    uint32_t units = 0;
    std::memcpy(&units, slot, header_bytes);
    if (units & interned_bit) return;
    tree_store().pool.release(slot, slot_bytes(units));
}

tag_text_t tag_text_t::interned(std::u16string_view text) {
    tag_text_t made;
    if (text.empty()) return made;
    if (text.size() >= interned_bit) throw std::bad_alloc();
    // Kept for the run: never released, so it is not taken from a tree's pool.
    char* slot = new char[slot_bytes(text.size())];
    const uint32_t length = uint32_t(text.size()) | interned_bit;
    std::memcpy(slot, &length, header_bytes);
    std::memcpy(slot + header_bytes, text.data(), text.size() * sizeof(char16_t));
    made.data_ = reinterpret_cast<char16_t*>(slot + header_bytes);
    return made;
}

void tag_text_t::assign(std::u16string_view text) {
    tag_text_t copy;
    if (!text.empty()) std::memcpy(copy.make_room(text.size()), text.data(), text.size() * sizeof(char16_t));
    *this = std::move(copy);
}

char16_t* tag_text_t::make_room(size_t units) {
    // A text of 2 Gi units cannot come from a file (a length is checked against the bytes left) and no
    // template grows that far; it is refused rather than cut. The length's top bit marks interned texts.
    if (units >= interned_bit) throw std::bad_alloc();
    char16_t* room = nullptr;
    if (units != 0) {
        char* slot = static_cast<char*>(tree_store().pool.allocate(slot_bytes(units)));
        const auto length = uint32_t(units);
        std::memcpy(slot, &length, header_bytes);
        room = reinterpret_cast<char16_t*>(slot + header_bytes);
    }
    release(data_);
    data_ = room;
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
