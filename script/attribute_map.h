#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// A tag's attributes: key to value, kept in insertion order so that a file loaded and saved again gives
// the same bytes. Setting a key that is present replaces its value in place.
class attribute_map_t {
public:
    using entry_t = std::pair<std::u16string, std::u16string>;

    void set(const std::u16string& key, std::u16string value);
    // The value under `key`, or null.
    const std::u16string* find(const std::u16string& key) const;
    bool contains(const std::u16string& key) const { return index_.count(key) != 0; }

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    std::vector<entry_t>::const_iterator begin() const { return entries_.begin(); }
    std::vector<entry_t>::const_iterator end() const { return entries_.end(); }

private:
    std::vector<entry_t> entries_;
    // Key to position in entries_: a damaged or hostile file may hold very many attributes.
    std::unordered_map<std::u16string, size_t> index_;
};
