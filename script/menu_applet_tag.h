#pragma once

#include <cstddef>
#include <memory>
#include <new>

#include "script/main_tag.h"
#include "script/script_context.h"
#include "script/tree_store.h"

class var_registry_t;

// The root's tree store, as a base that comes before the tag: made before any part of the tree, and gone only
// after the last of it.
struct tree_store_holder_t {
    tree_store_t store;
};

// "MenuApplet" (1): the root of the script. It owns the tree with its store, the global variables and the
// script items by identifier. Its record is never stored: the file holds the variables, then the root's
// child count and children.
class MenuApplet_tag_t : private tree_store_holder_t, public main_tag_t {
public:
    explicit MenuApplet_tag_t(tag_t* parent);
    ~MenuApplet_tag_t() override;

    // The root itself is made before its store, so it comes from the heap.
    static void* operator new(size_t bytes) { return ::operator new(bytes); }
    static void operator delete(void* p) noexcept { ::operator delete(p); }

    // Reads the variables and the tree from the storages given by set_storages.
    void load() override;
    // Writes the global variables, then the tree, to the current storage.
    void save() override;
    // The passes over the tree run with the global variables as the current scope.
    void link() override;
    void show() override;
    void commit() override;

    void set_display(display_t* display) override;
    void set_storages(storage_t* script, storage_t* settings, bool reinstalled) override;
    void set_messaging(messaging_t* messaging) override;
    void run_all() override;

    storage_t* script_storage = nullptr;
    storage_t* settings_storage = nullptr;
    bool reinstalled = false;

private:
    std::unique_ptr<var_registry_t> vars_;
    std::unique_ptr<tags_by_id_t> tags_by_id_;
};
