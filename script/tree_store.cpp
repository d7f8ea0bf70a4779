#include "script/tree_store.h"

#include <cassert>
#include <new>

#include "script/script_context.h"

tree_store_t::tree_store_t()
    : attribute_maps_(pool_allocator<attribute_map_t>(pool)), thread_(std::this_thread::get_id()) {
    link_as_newest();
}

tree_store_t::~tree_store_t() {
    assert(on_own_thread() && "a tree is used from the thread that made it");
    // The maps give their room back to this store's pool before the pool goes.
    make_newest();
    attribute_maps_.clear();
    unlink();
}

void tree_store_t::make_newest() noexcept {
    if (script_context.store == this) return;
    unlink();
    link_as_newest();
}

void tree_store_t::link_as_newest() noexcept {
    older_ = script_context.store;
    newer_ = nullptr;
    if (older_) older_->newer_ = this;
    script_context.store = this;
}

void tree_store_t::unlink() noexcept {
    if (newer_)
        newer_->older_ = older_;
    else
        script_context.store = older_;
    if (older_) older_->newer_ = newer_;
    older_ = newer_ = nullptr;
}

uint32_t tree_store_t::new_attribute_map() {
    if (!free_places_.empty()) {
        const uint32_t place = free_places_.back() + 1;
        free_places_.pop_back();
        return place;
    }
    // Each map is at least a tag of a file, and no file holds 4 Gi tags.
    if (attribute_maps_.size() >= UINT32_MAX) throw std::bad_alloc();
    attribute_maps_.emplace_back();
    return uint32_t(attribute_maps_.size());
}

void tree_store_t::free_attribute_map(uint32_t place) noexcept {
    attribute_maps_[place - 1].clear();
    free_places_.push_back(place - 1);
}
