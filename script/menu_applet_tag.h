#pragma once

#include <memory>

#include "script/main_tag.h"
#include "script/script_context.h"

class var_registry_t;

// "MenuApplet" (1): the root of the script. It owns the tree, the global variables and the script
// items by identifier. Its record is never stored: the file holds the variables, then the root's
// child count and children.
class MenuApplet_tag_t : public main_tag_t {
public:
    explicit MenuApplet_tag_t(tag_t* parent);
    ~MenuApplet_tag_t() override;

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
