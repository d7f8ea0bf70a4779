#include "script/attribute_map.h"

void attribute_map_t::set(const std::u16string& key, std::u16string value) {
    auto [it, inserted] = index_.try_emplace(key, entries_.size());
    if (inserted) {
        entries_.emplace_back(key, std::move(value));
    } else {
        entries_[it->second].second = std::move(value);
    }
}

const std::u16string* attribute_map_t::find(const std::u16string& key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
}
