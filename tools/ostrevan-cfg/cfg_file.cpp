#include "cfg_file.h"

#include "script/factory.h"
#include "script/literal_record.h"
#include "script/script_context.h"
#include "storage/storage.h"

std::unique_ptr<MenuApplet_tag_t> new_cfg_root() {
    auto tag = create_tag_by_name(u"MenuApplet", nullptr);
    return std::unique_ptr<MenuApplet_tag_t>(static_cast<MenuApplet_tag_t*>(tag.release()));
}

cfg_file_t read_cfg(storage_t& storage) {
    cfg_file_t file;
    file.vars->load(storage);
    file.root = new_cfg_root();
    script_context.current_storage = &storage;
    // The tree part of the root's load: its count and child records.
    file.root->tag_complex_t::load();
    return file;
}

void write_cfg(storage_t& storage, const cfg_file_t& file) {
    file.vars->save(storage);
    script_context.current_storage = &storage;
    storage.write_int(int32_t(file.root->children.size()));
    for (const auto& child : file.root->children) save_literal_record(*child);
}
