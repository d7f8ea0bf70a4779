#include "script/tag_list.h"

#include <algorithm>
#include <new>

#include "script/tag.h"
#include "script/tree_store.h"

tag_list_t::~tag_list_t() {
    // First to last, as the children were made.
    for (size_t i = 0; i < size_; ++i) data_[i].~value_type();
    if (data_) tree_store().pool.release(data_, capacity_ * sizeof(value_type));
}

void tag_list_t::reserve(size_t count) {
    if (count <= capacity_) return;
    // A stored count is checked against the bytes left in the file, so no file asks for more.
    if (count > UINT32_MAX) throw std::bad_alloc();
    data_ = tree_store().pool.relocate(data_, size_, capacity_, count);
    capacity_ = uint32_t(count);
}

void tag_list_t::grow() {
    reserve(std::max<size_t>(4, size_t(capacity_) * 2));
}

void tag_list_t::shrink_to(size_t count) noexcept {
    while (size_ > count) data_[--size_].~value_type();
}
