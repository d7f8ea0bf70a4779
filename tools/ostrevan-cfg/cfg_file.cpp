#include "cfg_file.h"

#include "resources/texts.h"
#include "script/factory.h"
#include "script/script_context.h"
#include "storage/record_count.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"

namespace {

void write_record(storage_t& storage, const tag_t& tag) {
    if (tag.attributes) {
        storage.write_int(tag.code | attributes_bit).write_int(int32_t(tag.attributes->size()));
        for (const auto& [key, value] : *tag.attributes) storage.write_string(key).write_string(value);
    } else {
        storage.write_int(tag.code);
    }
    if (auto* node = dynamic_cast<const tag_complex_t*>(&tag)) {
        storage.write_int(int32_t(node->children.size()));
        for (const auto& child : node->children) write_record(storage, *child);
    } else {
        storage.write_string(static_cast<const tag_simple_t&>(tag).text);
    }
}

}  // namespace

std::unique_ptr<MenuApplet_tag_t> new_cfg_root() {
    auto tag = create_tag_by_name(u"MenuApplet", nullptr);
    return std::unique_ptr<MenuApplet_tag_t>(static_cast<MenuApplet_tag_t*>(tag.release()));
}

cfg_file_t read_cfg(storage_t& storage) {
    cfg_file_t file;
    for (int32_t n = read_count(storage, record_bytes::word + record_bytes::string + 1); n > 0; --n) {
        const uint64_t at = storage.offset();
        int32_t type = 0;
        cfg_var_t record;
        storage.read_int(type).read_string(record.name);
        record.var = create_var(type);
        if (!record.var) {
            throw damaged_file_error(
                format_text(texts::var_unknown_type, {number_text(type), number_text(int64_t(at))}));
        }
        record.var->load(storage);
        file.vars.push_back(std::move(record));
    }
    file.root = new_cfg_root();
    script_context.current_storage = &storage;
    // The tree part of the root's load: its count and child records.
    file.root->tag_complex_t::load();
    return file;
}

void write_cfg(storage_t& storage, const cfg_file_t& file) {
    storage.write_int(int32_t(file.vars.size()));
    for (const auto& record : file.vars) {
        storage.write_int(record.var->type).write_string(record.name);
        record.var->save(storage);
    }
    storage.write_int(int32_t(file.root->children.size()));
    for (const auto& child : file.root->children) write_record(storage, *child);
}
