// The tag pool as the program ships it (also under AddressSanitizer, where the free bytes are poisoned): which
// sizes it serves, the reuse of a freed slot, the change to a new block, and the move of a container's room.
// Each case takes a pool of its own, so that it starts from an empty one.
#include "script/tag_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#ifdef OSTREVAN_POOL_POISONS
#include <sanitizer/asan_interface.h>
#endif

namespace {

bool aligned(const void* p) {
    return reinterpret_cast<uintptr_t>(p) % tag_pool_t::step == 0;
}

#ifdef OSTREVAN_POOL_POISONS
constexpr bool sanitized = true;
#else
constexpr bool sanitized = false;
#endif

// Whether the sanitizer lets `p` be touched; always true without it.
bool touchable(const void* p) {
#ifdef OSTREVAN_POOL_POISONS
    return !__asan_address_is_poisoned(p);
#else
    (void)p;
    return true;
#endif
}

TEST(TagPool, ServesEachSizeAndReusesAFreedSlotOfItsClass) {
    const struct {
        size_t bytes;
        size_t reused_by;  // a size of the same class, which gets the freed slot back
        bool pooled;
    } cases[] = {
        {1, 8, true},     {7, 3, true},     {8, 1, true},     {9, 16, true},   {24, 17, true},
        {100, 104, true}, {511, 505, true}, {512, 512, true}, {513, 0, false}, {4096, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        tag_pool_t pool;
        EXPECT_EQ(tag_pool_t::pooled(c.bytes), c.pooled);
        auto* p = static_cast<unsigned char*>(pool.allocate(c.bytes));
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(aligned(p));
        std::memset(p, 0xA5, c.bytes);  // every byte asked for may be written
        EXPECT_TRUE(touchable(p + c.bytes - 1));
        void* other = pool.allocate(c.bytes);  // a second slot, not the first one again
        EXPECT_NE(other, p);
        pool.release(p, c.bytes);
        if (!c.pooled) {
            pool.release(other, c.bytes);
            continue;
        }
        if (sanitized) {
            EXPECT_FALSE(touchable(p)) << "a free slot is poisoned";
        }
        void* again = pool.allocate(c.reused_by);
        EXPECT_EQ(again, p);
        EXPECT_TRUE(touchable(static_cast<char*>(again) + c.reused_by - 1));
        if (sanitized && c.reused_by % tag_pool_t::step != 0) {
            EXPECT_FALSE(touchable(static_cast<char*>(again) + c.reused_by)) << "past the size asked for";
        }
        pool.release(again, c.reused_by);
        pool.release(other, c.bytes);
    }
}

// Slots follow each other in a block; once it is used up they come from a new one, and none overlaps another.
TEST(TagPool, MovesToANewBlockWhenOneIsUsedUp) {
    tag_pool_t pool;
    constexpr size_t bytes = 512;
    std::vector<char*> slots;
    int block_changes = 0;
    for (int i = 0; i < 2000; ++i) {  // about 1 MB: the first blocks are smaller
        auto* p = static_cast<char*>(pool.allocate(bytes));
        std::memset(p, i & 0xFF, bytes);
        if (!slots.empty() && p != slots.back() + bytes) ++block_changes;
        slots.push_back(p);
    }
    EXPECT_GE(block_changes, 2);
    std::set<char*> ordered(slots.begin(), slots.end());
    ASSERT_EQ(ordered.size(), slots.size());
    for (auto it = ordered.begin(); std::next(it) != ordered.end(); ++it) EXPECT_GE(*std::next(it) - *it, 512);
    for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(static_cast<unsigned char>(slots[i][bytes - 1]), i & 0xFF);
    for (char* p : slots) pool.release(p, bytes);
}

// relocate moves the elements into the new room, ends them in the old, and gives the old room back.
TEST(TagPool, RelocateMovesTheElementsAndGivesTheOldRoomBack) {
    tag_pool_t pool;
    const struct {
        size_t size, old_capacity, new_capacity;
    } cases[] = {{0, 0, 4}, {3, 4, 8}, {8, 8, 16}, {5, 16, 20}};  // the last leaves the pool for the heap
    for (const auto& c : cases) {
        SCOPED_TRACE(c.new_capacity);
        std::string* data = nullptr;
        if (c.old_capacity != 0) {
            data = static_cast<std::string*>(pool.allocate(c.old_capacity * sizeof(std::string)));
            for (size_t i = 0; i < c.size; ++i) new (data + i) std::string(100, char('a' + i % 26));
        }
        std::string* moved = pool.relocate(data, c.size, c.old_capacity, c.new_capacity);
        ASSERT_NE(moved, nullptr);
        EXPECT_NE(moved, data);
        for (size_t i = 0; i < c.size; ++i) EXPECT_EQ(moved[i], std::string(100, char('a' + i % 26))) << i;
        if (data && tag_pool_t::pooled(c.old_capacity * sizeof(std::string))) {
            // The old room is free again: the next slot of its size is that room.
            void* next = pool.allocate(c.old_capacity * sizeof(std::string));
            EXPECT_EQ(next, data);
            pool.release(next, c.old_capacity * sizeof(std::string));
        }
        for (size_t i = 0; i < c.size; ++i) moved[i].~basic_string();
        pool.release(moved, c.new_capacity * sizeof(std::string));
    }
}

}  // namespace
