#pragma once

// The content of a script or settings file as ostrevan-cfg handles it: the variable records in file
// order and the tree under a root, taken literally (no tag behaviour runs).

#include <memory>
#include <string>
#include <vector>

#include "script/menu_applet_tag.h"
#include "vars/var.h"

class storage_t;

struct cfg_var_t {
    std::u16string name;
    std::unique_ptr<var_t> var;
};

struct cfg_file_t {
    std::vector<cfg_var_t> vars;
    // Its children are the top-level tags.
    std::unique_ptr<MenuApplet_tag_t> root;
};

// A new root for the tree, made as the program makes it.
std::unique_ptr<MenuApplet_tag_t> new_cfg_root();

// Reads the variables record by record (so that every record is kept, in order), then the tree through
// the factory and the placement rules.
cfg_file_t read_cfg(storage_t& storage);

// Writes the records as they are: a tag's code word carries the attributes bit exactly when it has an
// attribute map; no tag adds anything of its own.
void write_cfg(storage_t& storage, const cfg_file_t& file);

// An error that names a place in the input.
struct cfg_error_t {
    std::u16string place;
    std::u16string message;
};
