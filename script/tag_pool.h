#pragma once

#include <cassert>
#include <cstddef>
#include <new>
#include <utility>
#include <vector>

// Memory for the tags of one tree and what they hold (texts, child lists, attribute maps). A script holds
// hundreds of thousands of small tags; taking them from large blocks whose pages are made present at once,
// instead of one heap allocation each, keeps the load from spending its time in page faults. Freed slots
// are reused by later ones of the same size; the blocks are given back when the pool goes (with its tree:
// the tree store in script/tree_store.h holds it). Under AddressSanitizer the same pool is used, with every
// byte not handed out poisoned (the rest of a block, a free slot, the padding of a slot past the size asked
// for), so that a use after free or past the end is still caught in the allocator the program ships.
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

class tag_pool_t {
public:
    // Slots are 8-aligned, as every member of a tag is (and as the sanitizer's shadow bytes are).
    static constexpr size_t step = 8;
    static constexpr size_t largest = 512;  // larger objects come from the heap

    // Whether a size is taken from the pool: not 0, and not past `largest`.
    static constexpr bool pooled(size_t bytes) { return bytes != 0 && bytes <= largest; }

    tag_pool_t() = default;
    tag_pool_t(const tag_pool_t&) = delete;
    tag_pool_t& operator=(const tag_pool_t&) = delete;
    // Gives the blocks back: every slot must have been released, or be dropped with the pool.
    ~tag_pool_t();

    // Inline, as the load takes a slot for nearly every tag and every text.
    void* allocate(size_t bytes) {
        if (!pooled(bytes)) return allocate_slowly(bytes);
        const size_t cls = (bytes + step - 1) / step;
        if (free_slot_t* slot = free_[cls]) {
            unpoison(slot, sizeof(free_slot_t));
            free_[cls] = slot->next;
            // The whole slot was poisoned when it was given back; the bytes asked for are opened again.
            poison(slot, cls * step);
            unpoison(slot, bytes);
            return slot;
        }
        const size_t rounded = cls * step;
        if (size_t(end_ - next_) < rounded) return allocate_slowly(bytes);
        void* p = next_;
        next_ += rounded;
        unpoison(p, bytes);
        return p;
    }

    void release(void* p, size_t bytes) noexcept {
        if (!p || !pooled(bytes)) return release_slowly(p);
        assert(holds(p) && "a slot goes back to the pool it came from");
        const size_t cls = (bytes + step - 1) / step;
        unpoison(p, cls * step);
        auto* slot = static_cast<free_slot_t*>(p);
        slot->next = free_[cls];
        free_[cls] = slot;
        poison(p, cls * step);
    }

    // Moves `size` elements from `data` (room for `old_capacity`, null when none) into new room for
    // `new_capacity` and lets the old room go; the pooled containers of a tag grow through it. Their elements
    // move without throwing.
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

    // Whether `p` lies in one of the pool's blocks; for checks in debug builds.
    bool holds(const void* p) const noexcept;

private:
    struct free_slot_t {
        free_slot_t* next;
    };
    static_assert(sizeof(free_slot_t) <= step, "a free slot's link fits the smallest slot");

    struct block_t {
        char* start;
        size_t bytes;
    };

    // The heap's sizes, or a new block once the current one is used up.
    void* allocate_slowly(size_t bytes);
    static void release_slowly(void* p) noexcept;

    // Under AddressSanitizer, the bytes of the pool nobody holds may not be touched; elsewhere these do nothing.
    static void poison(const void* p, size_t bytes) noexcept {
#ifdef OSTREVAN_POOL_POISONS
        ASAN_POISON_MEMORY_REGION(p, bytes);
#else
        (void)p;
        (void)bytes;
#endif
    }
    static void unpoison(const void* p, size_t bytes) noexcept {
#ifdef OSTREVAN_POOL_POISONS
        ASAN_UNPOISON_MEMORY_REGION(p, bytes);
#else
        (void)p;
        (void)bytes;
#endif
    }

    // A free list per size class, and the rest of the current block.
    free_slot_t* free_[largest / step + 1] = {};
    char* next_ = nullptr;
    char* end_ = nullptr;
    size_t next_block_bytes_ = 0;
    std::vector<block_t> blocks_;
};

// A standard allocator over a pool, for the containers the tree store keeps.
template <class T>
struct pool_allocator {
    using value_type = T;
    explicit pool_allocator(tag_pool_t& from) noexcept : pool(&from) {}
    template <class U>
    pool_allocator(const pool_allocator<U>& other) noexcept : pool(other.pool) {}
    T* allocate(size_t n) { return static_cast<T*>(pool->allocate(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { pool->release(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const pool_allocator<U>& other) const noexcept {
        return pool == other.pool;
    }

    tag_pool_t* pool;
};
