#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/tag_pool.h"
#include "script/tag_text.h"

// A tag's attributes: key to value, kept in insertion order so that a file loaded and saved again gives
// the same bytes. Setting a key that is present replaces its value in place. A script holds a map on nearly
// every `String` (its folded state), usually of one entry: the map is a small pooled list searched in order,
// and an index is built only when a map grows long (a damaged or hostile file may hold very many attributes).
class attribute_map_t {
public:
    struct entry_t {
        tag_text_t first;
        tag_text_t second;
    };
    using entries_t = std::vector<entry_t, tag_pool::allocator<entry_t>>;

    attribute_map_t() = default;
    attribute_map_t(const attribute_map_t&) = delete;
    attribute_map_t& operator=(const attribute_map_t&) = delete;
    ~attribute_map_t();

    static void* operator new(size_t bytes) { return tag_pool::allocate(bytes); }
    static void operator delete(void* p, size_t bytes) noexcept { tag_pool::release(p, bytes); }

    void set(std::u16string_view key, std::u16string_view value);
    // Lets every entry go, with the room they took.
    void clear() noexcept;
    // The value under `key`, or null.
    const tag_text_t* find(std::u16string_view key) const;
    bool contains(std::u16string_view key) const { return find(key) != nullptr; }

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    entries_t::const_iterator begin() const { return entries_.begin(); }
    entries_t::const_iterator end() const { return entries_.end(); }

private:
    const entry_t* find_entry(std::u16string_view key) const;

    // Past this many entries, keys are found through the index.
    static constexpr size_t searched_in_order = 16;

    entries_t entries_;
    // Key (a view of the entry's own key, which never moves) to position in entries_.
    std::unique_ptr<std::unordered_map<std::u16string_view, size_t>> index_;
};
