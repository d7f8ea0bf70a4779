#pragma once

#include <cstddef>
#include <new>
#include <utility>

// Memory for the tags of the tree and what they hold (texts, child lists, attribute maps). A script holds
// hundreds of thousands of small tags; taking them from large blocks whose pages are made present at once,
// instead of one heap allocation each, keeps the load from spending its time in page faults. Freed slots
// are reused by later ones of the same size; the blocks
// are kept for the life of the process. Each thread has its own pool. Under AddressSanitizer the heap is
// used, so that a use after free is still caught.
namespace tag_pool {

void* allocate(size_t bytes);
void release(void* p, size_t bytes) noexcept;

// Moves `size` elements from `data` (room for `old_capacity`, null when none) into new room for `new_capacity`
// and lets the old room go; the pooled containers of a tag grow through it. Their elements move without throwing.
template <class T>
T* relocate(T* data, size_t size, size_t old_capacity, size_t new_capacity) {
    auto* room = static_cast<T*>(allocate(new_capacity * sizeof(T)));
    for (size_t i = 0; i < size; ++i) {
        new (room + i) T(std::move(data[i]));
        data[i].~T();
    }
    release(data, old_capacity * sizeof(T));
    return room;
}

// A standard allocator over the pool, for the containers a tag keeps (its list of children).
template <class T>
struct allocator {
    using value_type = T;
    allocator() = default;
    template <class U>
    allocator(const allocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(tag_pool::allocate(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { tag_pool::release(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const allocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace tag_pool
