#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

class tag_t;

// The children of a complex tag, in load order: owning pointers in one slot of the tag pool. Every complex
// tag of a script has a list, so it takes 16 bytes where a std::vector takes 24, and a loaded list has
// exactly the room its stored count asked for.
class tag_list_t {
public:
    using value_type = std::unique_ptr<tag_t>;
    using iterator = value_type*;
    using const_iterator = const value_type*;

    tag_list_t() = default;
    tag_list_t(const tag_list_t&) = delete;
    tag_list_t& operator=(const tag_list_t&) = delete;
    ~tag_list_t();

    size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    iterator begin() noexcept { return data_; }
    iterator end() noexcept { return data_ + size_; }
    const_iterator begin() const noexcept { return data_; }
    const_iterator end() const noexcept { return data_ + size_; }
    value_type& operator[](size_t i) noexcept { return data_[i]; }
    const value_type& operator[](size_t i) const noexcept { return data_[i]; }
    value_type& back() noexcept { return data_[size_ - 1]; }

    // Room for `count` children in all; a list never shrinks.
    void reserve(size_t count);
    void push_back(value_type child) {
        if (size_ == capacity_) grow();
        new (data_ + size_) value_type(std::move(child));
        ++size_;
    }
    // Removes (and destroys) the children `pred` holds true for, keeping the order of the rest.
    template <class Pred>
    void erase_if(Pred pred) {
        size_t kept = 0;
        for (size_t i = 0; i < size_; ++i)
            if (!pred(data_[i])) data_[kept++] = std::move(data_[i]);
        shrink_to(kept);
    }

private:
    void grow();
    void shrink_to(size_t count) noexcept;

    value_type* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};
