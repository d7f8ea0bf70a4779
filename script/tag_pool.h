#pragma once

#include <cstddef>
#include <new>
#include <utility>

// Memory for the tags of the tree and what they hold (texts, child lists, attribute maps). A script holds
// hundreds of thousands of small tags; taking them from large blocks whose pages are made present at once,
// instead of one heap allocation each, keeps the load from spending its time in page faults. Freed slots
// are reused by later ones of the same size; the blocks
// are kept for the life of the process. Each thread has its own pool. Under AddressSanitizer the same pool
// is used, with every byte not handed out poisoned (the rest of a block, a free slot, the padding of a slot
// past the size asked for), so that a use after free or past the end is still caught in the allocator the
// program ships.
#if defined(__SANITIZE_ADDRESS__)
#define OSTREVAN_POOL_POISONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREVAN_POOL_POISONS 1
#endif
#endif

#ifdef OSTREVAN_POOL_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace tag_pool {

namespace detail {

// Slots are 8-aligned, as every member of a tag is (and as the sanitizer's shadow bytes are).
inline constexpr size_t step = 8;
inline constexpr size_t largest = 512;  // larger objects come from the heap

struct free_slot_t {
    free_slot_t* next;
};
static_assert(sizeof(free_slot_t) <= step, "a free slot's link fits the smallest slot");

// One thread's slots: a free list per size, and the rest of the current block.
struct pool_t {
    free_slot_t* free[largest / step + 1] = {};
    char* next = nullptr;
    char* end = nullptr;
    size_t next_block_bytes = 0;
};

inline thread_local pool_t pool;

// Whether a size is taken from the pool: not 0, and not past `largest`.
constexpr bool pooled(size_t bytes) {
    return bytes != 0 && bytes <= largest;
}

// The heap's sizes, or a new block once the current one is used up.
void* allocate_slowly(size_t bytes);
void release_slowly(void* p) noexcept;

// Under AddressSanitizer, the bytes of the pool nobody holds may not be touched; elsewhere these do nothing.
inline void poison(const void* p, size_t bytes) noexcept {
#ifdef OSTREVAN_POOL_POISONS
    ASAN_POISON_MEMORY_REGION(p, bytes);
#else
    (void)p;
    (void)bytes;
#endif
}
inline void unpoison(const void* p, size_t bytes) noexcept {
#ifdef OSTREVAN_POOL_POISONS
    ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
    (void)p;
    (void)bytes;
#endif
}

}  // namespace detail

// Inline, as the load takes a slot for nearly every tag and every text.
inline void* allocate(size_t bytes) {
    using namespace detail;
    if (!pooled(bytes)) return allocate_slowly(bytes);
    const size_t cls = (bytes + step - 1) / step;
    if (free_slot_t* slot = pool.free[cls]) {
        unpoison(slot, sizeof(free_slot_t));
        pool.free[cls] = slot->next;
        // The whole slot was poisoned when it was given back; the bytes asked for are opened again.
        poison(slot, cls * step);
        unpoison(slot, bytes);
        return slot;
    }
    const size_t rounded = cls * step;
    if (size_t(pool.end - pool.next) < rounded) return allocate_slowly(bytes);
    void* p = pool.next;
    pool.next += rounded;
    unpoison(p, bytes);
    return p;
}

inline void release(void* p, size_t bytes) noexcept {
    using namespace detail;
    if (!p || !pooled(bytes)) return release_slowly(p);
    const size_t cls = (bytes + step - 1) / step;
    unpoison(p, cls * step);
    auto* slot = static_cast<free_slot_t*>(p);
    slot->next = pool.free[cls];
    pool.free[cls] = slot;
    poison(p, cls * step);
}

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
