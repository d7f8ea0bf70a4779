#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class storage_t;

// Rows of a fixed number of texts, all kept in one buffer with the end of each text beside it, so that a row
// of empty texts costs a few bytes rather than a few string objects: a stored list of many short entries
// costs memory in proportion to its file.
class text_table_t {
public:
    explicit text_table_t(int texts_per_row) : width_(size_t(texts_per_row)) {}

    int rows() const { return static_cast<int>(ends_.size() / width_); }
    // Text `column` of row `row`; a row or column out of range throws std::out_of_range. Valid until the table
    // changes.
    std::u16string_view text(int row, int column) const;

    // Inserts a row of exactly texts_per_row texts at `row` (0 to rows()).
    void insert_row(int row, std::initializer_list<std::u16string_view> texts);
    void append_row(std::initializer_list<std::u16string_view> texts) { insert_row(rows(), texts); }
    // A row out of range throws std::out_of_range.
    void remove_row(int row);

    // Reads `count` rows, each its texts in order, after the rows already held; the caller has checked the
    // count against the bytes left. Writes the rows back the same way, without the count.
    void load_rows(storage_t& storage, int32_t count);
    void save_rows(storage_t& storage) const;

private:
    size_t start_of(size_t index) const { return index == 0 ? 0 : ends_[index - 1]; }
    // The buffer's end as the next text's end; the buffer never outgrows what the ends can hold.
    uint32_t checked_end() const;

    size_t width_;
    std::u16string texts_;
    std::vector<uint32_t> ends_;
};
