#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

// The text of a leaf tag: its own copy of the characters in a slot of the tag pool. A script holds hundreds of
// thousands of short texts; an 8-byte handle and one pooled slot each keep the load from spending its time
// and memory in the heap. The slot holds the length (4 bytes) and then the characters; an empty text has no
// slot. It reads as a std::u16string_view and converts to a std::u16string where one is needed.
//
// An interned text (see interned()) is made once and kept for the whole run; its handles share it instead of
// copying it. The top bit of the stored length marks it.
class tag_text_t {
public:
    tag_text_t() = default;
    tag_text_t(std::u16string_view text) { assign(text); }
    tag_text_t(const tag_text_t& other) {
        if (other.is_interned())
            data_ = other.data_;
        else
            assign(other.view());
    }
    // A text made once for the run, for words the program writes into many tags; copies of it share it.
    static tag_text_t interned(std::u16string_view text);
    // A moved text keeps its characters where they are: views of them stay valid.
    tag_text_t(tag_text_t&& other) noexcept : data_(std::exchange(other.data_, nullptr)) {}
    tag_text_t& operator=(tag_text_t&& other) noexcept {
        std::swap(data_, other.data_);
        return *this;
    }
    tag_text_t& operator=(const tag_text_t& other) {
        if (this != &other) *this = tag_text_t(other);
        return *this;
    }
    tag_text_t& operator=(std::u16string_view text) {
        assign(text);
        return *this;
    }
    ~tag_text_t();

    std::u16string_view view() const noexcept { return {data_, size()}; }
    operator std::u16string_view() const noexcept { return view(); }
    std::u16string str() const { return std::u16string(view()); }
    operator std::u16string() const { return str(); }

    void clear() noexcept { *this = tag_text_t(); }
    // Makes the text `units` long and gives its characters, unset, to be written in place.
    char16_t* make_room(size_t units);
    size_t size() const noexcept { return stored_length() & ~interned_bit; }
    bool empty() const noexcept { return data_ == nullptr; }
    char16_t operator[](size_t i) const noexcept { return data_[i]; }
    const char16_t* begin() const noexcept { return data_; }
    const char16_t* end() const noexcept { return data_ + size(); }

    friend bool operator==(const tag_text_t& a, std::u16string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const tag_text_t& a, const tag_text_t& b) noexcept { return a.view() == b.view(); }

private:
    // Copies before it lets the old characters go, so that a text may be assigned a part of itself.
    void assign(std::u16string_view text);

    // Releases the slot of `data`, if any and unless it is interned.
    static void release(char16_t* data) noexcept;
    uint32_t stored_length() const noexcept {
        uint32_t length = 0;
        if (data_) std::memcpy(&length, reinterpret_cast<const char*>(data_) - sizeof length, sizeof length);
        return length;
    }
    bool is_interned() const noexcept { return (stored_length() & interned_bit) != 0; }
    static constexpr uint32_t interned_bit = UINT32_C(1) << 31;

    // Past the length in the slot; null for the empty text.
    char16_t* data_ = nullptr;
};

std::u16string operator+(std::u16string_view a, const tag_text_t& b);
std::u16string operator+(const tag_text_t& a, std::u16string_view b);
