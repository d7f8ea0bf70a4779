#include "script/tag_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool use_heap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool use_heap = true;
#else
constexpr bool use_heap = false;
#endif
#else
constexpr bool use_heap = false;
#endif

// Slots are 8-aligned, as every member of a tag is.
constexpr size_t step = 8;
constexpr size_t largest = 512;  // larger objects come from the heap
constexpr size_t block_bytes = size_t(2) << 20;

struct free_slot_t {
    free_slot_t* next;
};

// The first blocks are small, so that a small script costs little; they double up to the largest, which is
// aligned to its size so that the kernel can back it with one huge page where it offers them.
constexpr size_t first_block_bytes = size_t(64) << 10;

char* new_block(size_t bytes) {
    const bool huge = bytes == block_bytes;
    const size_t mapped = huge ? 2 * bytes : bytes;
    void* area = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED) throw std::bad_alloc();
    auto* block = static_cast<char*>(area);
    if (huge) {
        const auto start = reinterpret_cast<uintptr_t>(area);
        const uintptr_t aligned = (start + bytes - 1) & ~(bytes - 1);
        if (aligned > start) ::munmap(area, aligned - start);
        if (aligned + bytes < start + mapped)
            ::munmap(reinterpret_cast<void*>(aligned + bytes), start + mapped - aligned - bytes);
        block = reinterpret_cast<char*>(aligned);
        ::madvise(block, bytes, MADV_HUGEPAGE);
    }
    ::madvise(block, bytes, MADV_POPULATE_WRITE);  // present at once, not page by page
    return block;
}

struct pool_t {
    std::array<free_slot_t*, largest / step + 1> free{};
    char* next = nullptr;
    char* end = nullptr;
    size_t next_block_bytes = first_block_bytes;

    void* take(size_t size) {
        const size_t cls = (size + step - 1) / step;
        if (free_slot_t* slot = free[cls]) {
            free[cls] = slot->next;
            return slot;
        }
        const size_t rounded = cls * step;
        if (size_t(end - next) < rounded) {
            next = new_block(next_block_bytes);
            end = next + next_block_bytes;
            next_block_bytes = std::min(2 * next_block_bytes, block_bytes);
        }
        void* p = next;
        next += rounded;
        return p;
    }

    void give_back(void* p, size_t size) {
        const size_t cls = (size + step - 1) / step;
        auto* slot = static_cast<free_slot_t*>(p);
        slot->next = free[cls];
        free[cls] = slot;
    }
};

pool_t& pool() {
    thread_local pool_t p;
    return p;
}

}  // namespace

namespace tag_pool {

void* allocate(size_t bytes) {
    if (use_heap || bytes == 0 || bytes > largest) return ::operator new(bytes);
    return pool().take(bytes);
}

void release(void* p, size_t bytes) noexcept {
    if (!p) return;
    if (use_heap || bytes == 0 || bytes > largest) {
        ::operator delete(p);
        return;
    }
    pool().give_back(p, bytes);
}

}  // namespace tag_pool
