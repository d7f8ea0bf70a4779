#include "script/attribute_map.h"

attribute_map_t::~attribute_map_t() = default;

void attribute_map_t::clear() noexcept {
    index_.reset();
    entries_t().swap(entries_);
}

const attribute_map_t::entry_t* attribute_map_t::find_entry(std::u16string_view key) const {
    if (index_) {
        auto it = index_->find(key);
        return it == index_->end() ? nullptr : &entries_[it->second];
    }
    for (const entry_t& entry : entries_)
        if (entry.first == key) return &entry;
    return nullptr;
}

const tag_text_t* attribute_map_t::find(std::u16string_view key) const {
    const entry_t* entry = find_entry(key);
    return entry ? &entry->second : nullptr;
}

void attribute_map_t::set(std::u16string_view key, std::u16string_view value) {
    if (const entry_t* present = find_entry(key)) {
        const_cast<entry_t*>(present)->second = value;
        return;
    }
    entries_.push_back({tag_text_t(key), tag_text_t(value)});
    if (index_) {
        index_->emplace(entries_.back().first.view(), entries_.size() - 1);
    } else if (entries_.size() > searched_in_order) {
        index_ = std::make_unique<std::unordered_map<std::u16string_view, size_t>>();
        for (size_t i = 0; i < entries_.size(); ++i) index_->emplace(entries_[i].first.view(), i);
    }
}
