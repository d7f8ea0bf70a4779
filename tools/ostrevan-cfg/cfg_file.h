#pragma once

// The content of a script or settings file as ostrevan-cfg handles it: the variables and the tree under a
// root, read and written by the model's own code and taken literally (no tag behaviour runs).

#include <memory>
#include <string>

#include "script/menu_applet_tag.h"
#include "vars/var_registry.h"

class storage_t;

struct cfg_file_t {
    std::unique_ptr<var_registry_t> vars = std::make_unique<var_registry_t>();
    // Its children are the top-level tags.
    std::unique_ptr<MenuApplet_tag_t> root;
};

// A new root for the tree, made as the program makes it.
std::unique_ptr<MenuApplet_tag_t> new_cfg_root();

// Reads the variables as the program's registry does, then the tree through the factory and the placement
// rules, as the root's load does.
cfg_file_t read_cfg(storage_t& storage);

// Writes the variables as the registry does, then the tree record by record as stored (save_literal_record).
void write_cfg(storage_t& storage, const cfg_file_t& file);

// An error that names a place in the input.
struct cfg_error_t {
    std::u16string place;
    std::u16string message;
};
