#include "tools/script-lint/cfg_places.h"

#include <string>

#include "script/tag.h"
#include "storage/storage.h"
#include "vars/var_registry.h"

namespace {

void walk(storage_t& storage, const tag_t& tag, std::unordered_map<const tag_t*, uint64_t>& offsets) {
    offsets.emplace(&tag, storage.offset());
    int32_t word = 0, count = 0;
    std::u16string text;
    storage.read_int(word);
    if (word & attributes_bit) {
        storage.read_int(count);
        for (int32_t i = 0; i < count; ++i) storage.read_string(text).read_string(text);
    }
    if (!tag.is_complex()) {
        storage.read_string(text);
        return;
    }
    storage.read_int(count);
    // The tree was loaded from these very bytes, so the counts agree with its children.
    for (const auto& child : static_cast<const tag_complex_t&>(tag).children) walk(storage, *child, offsets);
}

}  // namespace

std::unordered_map<const tag_t*, uint64_t> cfg_record_offsets(storage_t& storage, const tag_complex_t& root) {
    std::unordered_map<const tag_t*, uint64_t> offsets;
    var_registry_t passed_over;
    passed_over.load(storage);
    int32_t count = 0;
    storage.read_int(count);
    for (const auto& child : root.children) walk(storage, *child, offsets);
    return offsets;
}
