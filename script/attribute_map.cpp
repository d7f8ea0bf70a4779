#include "script/attribute_map.h"

#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "script/tree_store.h"

namespace {

// The key and the values that the program writes on every "String" (its folded state): shared by all maps,
// not copied into each.
tag_text_t shared_or_copied(std::u16string_view text) {
    static const tag_text_t common[] = {tag_text_t::interned(u"expanded"), tag_text_t::interned(u"true"),
                                        tag_text_t::interned(u"false")};
    for (const tag_text_t& word : common)
        if (word == text) return word;
    return tag_text_t(text);
}

}  // namespace

attribute_map_t::key_index_t* attribute_map_t::index() const {
    if (!long_room(capacity_)) return nullptr;
    key_index_t* index = nullptr;
    std::memcpy(&index, static_cast<const void*>(entries_ - 1), sizeof index);
    return index;
}

void attribute_map_t::clear() noexcept {
    if (!entries_) return;
    delete index();
    for (uint32_t i = 0; i < size_; ++i) entries_[i].~entry_t();
    entry_t* room = long_room(capacity_) ? entries_ - 1 : entries_;
    tree_store().pool.release(room, room_bytes(capacity_));
    entries_ = nullptr;
    size_ = capacity_ = 0;
}

attribute_map_t::entry_t* attribute_map_t::find_entry(std::u16string_view key) const {
    if (const key_index_t* keys = index()) {
        auto it = keys->find(key);
        return it == keys->end() ? nullptr : &entries_[it->second];
    }
    for (uint32_t i = 0; i < size_; ++i)
        if (entries_[i].first == key) return &entries_[i];
    return nullptr;
}

const tag_text_t* attribute_map_t::find(std::u16string_view key) const {
    const entry_t* entry = find_entry(key);
    return entry ? &entry->second : nullptr;
}

void attribute_map_t::grow() {
    // Each entry is at least two strings of a file, and no file holds 4 Gi of them.
    if (capacity_ >= UINT32_MAX / 2) throw std::bad_alloc();
    const uint32_t capacity = capacity_ == 0 ? 1 : 2 * capacity_;
    if (!long_room(capacity)) {
        entries_ = tree_store().pool.relocate(entries_, size_, capacity_, capacity);
        capacity_ = capacity;
        return;
    }
    // A long room: the index comes along, or is made from the keys present when the room first goes long.
    key_index_t* keys = index();
    std::unique_ptr<key_index_t> made;
    if (!keys) {
        made = std::make_unique<key_index_t>();
        made->reserve(size_ + 1);
        for (uint32_t i = 0; i < size_; ++i) made->emplace(entries_[i].first.view(), i);
        keys = made.get();
    }
    tag_pool_t& pool = tree_store().pool;
    auto* room = static_cast<entry_t*>(pool.allocate(room_bytes(capacity)));
    std::memcpy(static_cast<void*>(room), &keys, sizeof keys);
    made.release();  // the room holds it now
    // Moved texts keep their characters where they are, so the index's views stay valid.
    for (uint32_t i = 0; i < size_; ++i) {
        new (room + 1 + i) entry_t(std::move(entries_[i]));
        entries_[i].~entry_t();
    }
    pool.release(long_room(capacity_) ? entries_ - 1 : entries_, room_bytes(capacity_));
    entries_ = room + 1;
    capacity_ = capacity;
}

void attribute_map_t::set(std::u16string_view key, std::u16string_view value) {
    if (entry_t* present = find_entry(key)) {
        present->second = shared_or_copied(value);
        return;
    }
    // Made before anything changes, so that a failure leaves the map as it was.
    entry_t entry{shared_or_copied(key), shared_or_copied(value)};
    if (size_ == capacity_) grow();
    if (key_index_t* keys = index()) keys->emplace(entry.first.view(), size_);
    new (entries_ + size_) entry_t(std::move(entry));
    ++size_;
}
