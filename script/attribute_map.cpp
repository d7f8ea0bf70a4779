#include "script/attribute_map.h"

#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

namespace {

// Key (a view of the entry's own key, whose characters never move) to position, for each indexed map.
using key_index_t = std::unordered_map<std::u16string_view, size_t>;

struct key_indexes_t {
    std::mutex lock;
    std::unordered_map<const attribute_map_t*, key_index_t> by_map;
};

// Never destroyed: a map may go late in the process's exit, with the tags of a thread. Only the rare long
// maps come here, so one lock for every thread costs nothing.
key_indexes_t& key_indexes() {
    static auto* indexes = new key_indexes_t;
    return *indexes;
}

// The key and the values that the program writes on every "String" (its folded state): shared by all maps,
// not copied into each.
tag_text_t shared_or_copied(std::u16string_view text) {
    static const tag_text_t common[] = {tag_text_t::lasting(u"expanded"), tag_text_t::lasting(u"true"),
                                        tag_text_t::lasting(u"false")};
    for (const tag_text_t& word : common)
        if (word == text) return word;
    return tag_text_t(text);
}

}  // namespace

void attribute_map_t::clear() noexcept {
    if (indexed()) {
        key_indexes_t& indexes = key_indexes();
        const std::lock_guard<std::mutex> hold(indexes.lock);
        indexes.by_map.erase(this);
    }
    for (uint32_t i = 0; i < size_; ++i) entries_[i].~entry_t();
    tag_pool::release(entries_, capacity_ * sizeof(entry_t));
    entries_ = nullptr;
    size_ = capacity_ = 0;
}

attribute_map_t::entry_t* attribute_map_t::find_entry(std::u16string_view key) const {
    if (indexed()) {
        key_indexes_t& indexes = key_indexes();
        const std::lock_guard<std::mutex> hold(indexes.lock);
        const key_index_t& index = indexes.by_map.at(this);
        auto it = index.find(key);
        return it == index.end() ? nullptr : &entries_[it->second];
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
    // Moved texts keep their characters where they are, so the index's views stay valid.
    entries_ = tag_pool::relocate(entries_, size_, capacity_, capacity);
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
    if (size_ >= searched_in_order) {
        key_indexes_t& indexes = key_indexes();
        const std::lock_guard<std::mutex> hold(indexes.lock);
        if (size_ == searched_in_order) {
            key_index_t index;
            index.reserve(size_ + 1);
            for (uint32_t i = 0; i < size_; ++i) index.emplace(entries_[i].first.view(), i);
            index.emplace(entry.first.view(), size_);
            indexes.by_map[this] = std::move(index);
        } else {
            indexes.by_map.at(this).emplace(entry.first.view(), size_);
        }
    }
    new (entries_ + size_) entry_t(std::move(entry));
    ++size_;
}
