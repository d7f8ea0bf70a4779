#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "script/attribute_map.h"
#include "script/script_context.h"
#include "script/tag_pool.h"

class tag_t;
class tag_complex_t;

// Option name to the attribute map of the `BankSpecified` tag that set it (borrowed from that tag).
using bank_options_t = std::unordered_map<std::u16string, const attribute_map_t*>;

// Everything one script tree keeps beside its tags: the pool its tags, texts, child lists and attribute maps
// come from, and the state that few tags have and that is therefore not kept in every tag (attribute maps,
// bank options, child searches, the reading of records). The root owns the store of its tree; a tag reaches
// it through the script context, which names the newest store alive (a store is the newest from its making,
// and again when make_newest is called: a root that goes calls it, so that its tags go into their own store
// while a newer root may already be there). A tree is used from one thread, the one that made its store (and
// loaded the tree): debug builds check it at every step that reaches the store.
class tree_store_t {
public:
    tree_store_t();
    tree_store_t(const tree_store_t&) = delete;
    tree_store_t& operator=(const tree_store_t&) = delete;
    ~tree_store_t();

    tag_pool_t pool;

    // The attribute maps of the tree's tags, by place (1 and up; 0 is a tag without a map). Most tags have
    // none, so a tag holds only its place. A deque keeps each map where it is as the table grows (bank options
    // point at maps); the places of maps whose tags are gone are given to new ones.
    uint32_t new_attribute_map();
    attribute_map_t& attribute_map(uint32_t place) { return attribute_maps_[place - 1]; }
    void free_attribute_map(uint32_t place) noexcept;

    // The bank options set on tags (script/factory.h), by tag.
    std::unordered_map<const tag_t*, bank_options_t> bank_options;

    // The state of each tag's child search (tag_complex_t::first_child_with_code), by tag.
    struct child_search_t {
        int32_t code = 0;
        // Index in `children` after the child the search last returned; npos when none.
        size_t pos = npos;
        static constexpr size_t npos = SIZE_MAX;
    };
    std::unordered_map<const tag_complex_t*, child_search_t> child_searches;

    // What a load keeps from record to record: the level below the root of the records being read (it
    // bounds the recursion on a damaged file), and buffers for attribute keys and values that keep their room.
    int load_level = 0;
    std::u16string key_buffer, value_buffer;

    // Whether the calling thread is the one the tree belongs to.
    bool on_own_thread() const { return std::this_thread::get_id() == thread_; }

    // Names this store in the script context, until a newer one is made or this one goes.
    void make_newest() noexcept;

private:
    // The stores alive, from the oldest to the newest, which the script context names.
    void link_as_newest() noexcept;
    void unlink() noexcept;

    std::deque<attribute_map_t, pool_allocator<attribute_map_t>> attribute_maps_;
    std::vector<uint32_t> free_places_;
    std::thread::id thread_;
    tree_store_t* older_ = nullptr;
    tree_store_t* newer_ = nullptr;
};

// The store of the tree in use, from the script context. There is always one while tags are made, used or
// destroyed: a root's, or one that code making tags without a root (tests) holds.
// Inline, as the load reaches it for nearly every tag and every text.
inline tree_store_t& tree_store() {
    tree_store_t* store = script_context.store;
    assert(store && "tags are made and used with a tree store in the script context");
    assert(store->on_own_thread() && "a tree is used from the thread that made it");
    return *store;
}
