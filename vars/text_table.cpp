#include "vars/text_table.h"

#include <limits>
#include <stdexcept>

#include "storage/storage.h"

std::u16string_view text_table_t::text(int row, int column) const {
    const size_t index = size_t(row) * width_ + size_t(column);
    if (row < 0 || column < 0 || size_t(column) >= width_ || index >= ends_.size())
        throw std::out_of_range("text_table_t::text");
    const size_t start = start_of(index);
    return std::u16string_view(texts_).substr(start, ends_[index] - start);
}

uint32_t text_table_t::checked_end() const {
    if (texts_.size() > std::numeric_limits<uint32_t>::max()) throw std::length_error("text_table_t: texts too long");
    return uint32_t(texts_.size());
}

void text_table_t::insert_row(int row, std::initializer_list<std::u16string_view> texts) {
    if (texts.size() != width_ || row < 0 || row > rows()) throw std::out_of_range("text_table_t::insert_row");
    const size_t first = size_t(row) * width_;
    std::u16string joined;
    std::vector<uint32_t> ends;
    for (std::u16string_view t : texts) {
        joined += t;
        ends.push_back(uint32_t(joined.size()));
    }
    if (joined.size() > std::numeric_limits<uint32_t>::max() - texts_.size())
        throw std::length_error("text_table_t: texts too long");
    const size_t at = start_of(first);
    const auto added = uint32_t(joined.size());
    for (uint32_t& end : ends) end += uint32_t(at);
    const auto new_ends = ends_.insert(ends_.begin() + std::ptrdiff_t(first), ends.begin(), ends.end());
    try {
        texts_.insert(at, joined);
    } catch (...) {
        ends_.erase(new_ends, new_ends + std::ptrdiff_t(width_));
        throw;
    }
    for (size_t i = first + width_; i < ends_.size(); ++i) ends_[i] += added;
}

void text_table_t::remove_row(int row) {
    if (row < 0 || row >= rows()) throw std::out_of_range("text_table_t::remove_row");
    const size_t first = size_t(row) * width_;
    const size_t start = start_of(first);
    const uint32_t removed = ends_[first + width_ - 1] - uint32_t(start);
    texts_.erase(start, removed);
    ends_.erase(ends_.begin() + std::ptrdiff_t(first), ends_.begin() + std::ptrdiff_t(first + width_));
    for (size_t i = first; i < ends_.size(); ++i) ends_[i] -= removed;
}

void text_table_t::load_rows(storage_t& storage, int32_t count) {
    ends_.reserve(ends_.size() + width_ * size_t(count));
    // A row is taken whole or not at all, so that a file cut short inside a row leaves the rows before it.
    std::vector<std::u16string> row(width_);
    for (; count > 0; --count) {
        for (std::u16string& t : row) storage.read_string(t);
        const size_t old_size = texts_.size();
        const size_t old_rows = ends_.size();
        try {
            for (const std::u16string& t : row) {
                texts_ += t;
                ends_.push_back(checked_end());
            }
        } catch (...) {
            texts_.resize(old_size);
            ends_.resize(old_rows);
            throw;
        }
    }
}

void text_table_t::save_rows(storage_t& storage) const {
    const std::u16string_view all(texts_);
    for (size_t index = 0; index < ends_.size(); ++index) {
        const size_t start = start_of(index);
        storage.write_string(all.substr(start, ends_[index] - start));
    }
}
