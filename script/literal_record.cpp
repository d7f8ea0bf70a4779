#include "script/literal_record.h"

#include "script/script_context.h"
#include "script/tag.h"
#include "storage/storage.h"

void save_literal_record(tag_t& tag) {
    auto* node = dynamic_cast<tag_complex_t*>(&tag);
    if (!node) {
        static_cast<tag_simple_t&>(tag).tag_simple_t::save();
        return;
    }
    node->tag_t::save();
    script_context.current_storage->write_int(int32_t(node->children.size()));
    for (auto& child : node->children) save_literal_record(*child);
}
