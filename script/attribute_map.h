#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "script/tag_pool.h"
#include "script/tag_text.h"

// A tag's attributes: key to value, kept in insertion order so that a file loaded and saved again gives
// the same bytes. Setting a key that is present replaces its value in place. A script holds a map on nearly
// every `String` (its folded state), usually of one entry: the map is a 16-byte handle on a pooled array of
// exactly the entries it holds, searched in order. Past 16 entries (a damaged or hostile file may hold very
// many attributes) its keys are also indexed, in a table of the map's thread.
class attribute_map_t {
public:
    struct entry_t {
        tag_text_t first;
        tag_text_t second;
    };
    using const_iterator = const entry_t*;

    attribute_map_t() = default;
    attribute_map_t(const attribute_map_t&) = delete;
    attribute_map_t& operator=(const attribute_map_t&) = delete;
    ~attribute_map_t() { clear(); }

    static void* operator new(size_t bytes) { return tag_pool::allocate(bytes); }
    static void operator delete(void* p, size_t bytes) noexcept { tag_pool::release(p, bytes); }

    void set(std::u16string_view key, std::u16string_view value);
    // Lets every entry go, with the room they took.
    void clear() noexcept;
    // The value under `key`, or null.
    const tag_text_t* find(std::u16string_view key) const;
    bool contains(std::u16string_view key) const { return find(key) != nullptr; }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const_iterator begin() const { return entries_; }
    const_iterator end() const { return entries_ + size_; }

private:
    entry_t* find_entry(std::u16string_view key) const;
    // Room for one more entry.
    void grow();
    bool indexed() const { return size_ > searched_in_order; }

    // Past this many entries, keys are found through the index.
    static constexpr size_t searched_in_order = 16;

    entry_t* entries_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
