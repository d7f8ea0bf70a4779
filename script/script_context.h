#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

class display_t;
class messaging_t;
class storage_t;
class tag_t;
class tree_store_t;

using tags_by_id_t = std::unordered_map<std::u16string, tag_t*>;

// The shared objects that every tag reaches. They exist once per process and are set before the tree
// passes that use them. The two variable registries, `global_vars` and `current_vars`, belong to the
// variables library and are reached there.
struct script_context_t {
    // Every tag load and save reads and writes through it; set by the root before each load or save.
    storage_t* current_storage = nullptr;
    display_t* display = nullptr;
    messaging_t* messaging = nullptr;
    // The memory and side tables of the tree in use (script/tree_store.h): the root's store, set by the
    // store itself for its life.
    tree_store_t* store = nullptr;
    // Script items by their `Id`; owned by the root, which creates it.
    tags_by_id_t* tags_by_id = nullptr;
    // When set, told of each attribute key that repeats within one record being loaded (the later value wins,
    // so the record is written back shorter), with the byte offset of the repeated key. For the tools.
    std::function<void(uint64_t offset)> on_repeated_attribute;
};

inline script_context_t script_context;
