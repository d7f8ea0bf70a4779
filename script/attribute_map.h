#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "script/tag_text.h"

// A tag's attributes: key to value, kept in insertion order so that a file loaded and saved again gives
// the same bytes. Setting a key that is present replaces its value in place. A script holds a map on nearly
// every `String` (its folded state), usually of one entry: the map is a 16-byte handle on an array of exactly
// the entries it holds, in a slot of the tree's pool, searched in order. A long map (a damaged or hostile file
// may hold very many attributes) also indexes its keys, in an index whose address its room starts with.
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
    // Key (a view of the entry's own key, whose characters never move) to position.
    using key_index_t = std::unordered_map<std::u16string_view, size_t>;

    entry_t* find_entry(std::u16string_view key) const;
    // Room for one more entry.
    void grow();

    // Room for more than this many entries is long: its keys are found through the index.
    static constexpr uint32_t searched_in_order = 16;
    static bool long_room(uint32_t capacity) { return capacity > searched_in_order; }
    // A long room starts with one entry's worth of bytes that holds the index's address.
    static size_t room_bytes(uint32_t capacity) { return (capacity + (long_room(capacity) ? 1 : 0)) * sizeof(entry_t); }
    key_index_t* index() const;

    entry_t* entries_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
