#include "script/tag_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

constexpr size_t block_bytes = size_t(2) << 20;

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

}  // namespace

tag_pool_t::~tag_pool_t() {
    for (const block_t& block : blocks_) {
        // The sanitizer's marks would outlive the mapping and fall on whatever is mapped there next.
        unpoison(block.start, block.bytes);
        ::munmap(block.start, block.bytes);
    }
}

void* tag_pool_t::allocate_slowly(size_t bytes) {
    if (!pooled(bytes)) return ::operator new(bytes);
    // The rest of the current block is too short: it is left, and the slot comes from a new one.
    const size_t size = std::max(next_block_bytes_, first_block_bytes);
    blocks_.reserve(blocks_.size() + 1);  // before the mapping, so that it cannot be lost
    next_ = new_block(size);
    end_ = next_ + size;
    blocks_.push_back({next_, size});
    poison(next_, size);  // until its slots are handed out
    next_block_bytes_ = std::min(2 * size, block_bytes);
    return allocate(bytes);
}

void tag_pool_t::release_slowly(void* p) noexcept {
    ::operator delete(p);
}

bool tag_pool_t::holds(const void* p) const noexcept {
    const auto* byte = static_cast<const char*>(p);
    return std::any_of(blocks_.begin(), blocks_.end(),
                       [&](const block_t& block) { return byte >= block.start && byte < block.start + block.bytes; });
}
