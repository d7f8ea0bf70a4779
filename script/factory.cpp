#include "script/factory.h"

#include <unordered_map>

#include "resources/texts.h"
#include "script/empty_tag.h"
#include "script/tag_errors.h"
#include "script/tag_table.h"

int32_t tag_code(const std::u16string& name) {
    static const auto codes = [] {
        std::unordered_map<std::u16string, int32_t> map;
        for (int32_t c = 1; c <= last_tag_code; ++c) map.emplace(tag_kind(c)->name, c);
        return map;
    }();
    auto it = codes.find(name);
    if (it == codes.end()) throw tag_unknown_ex_t(name);
    return it->second;
}

std::u16string tag_name(int32_t code) {
    const tag_kind_t* kind = tag_kind(code);
    return kind ? kind->name : texts::tag_name_unknown;
}

std::unique_ptr<tag_t> create_tag(int32_t code, tag_t* parent) {
    // Without a parent the placement test runs against a stand-in of code 0, which no tag lists. It takes no
    // memory of a tree: the root is made this way before its tree store is there.
    Empty_tag_t stand_in(nullptr);
    const int32_t c = code & ~attributes_bit;
    const tag_kind_t* kind = tag_kind(c);
    if (!kind) throw tag_unknown_ex_t(c);
    std::unique_ptr<tag_t> tag(kind->make(parent ? parent : &stand_in));
    tag->code.value_ = uint8_t(c);
    tag->parent = parent;
    tag->accepted = tags::accepts(*kind, parent);
    if (code & attributes_bit) tag->own_attributes();
    return tag;
}

std::unique_ptr<tag_t> create_child(int32_t code, tag_t* parent) {
    auto tag = create_tag(code, parent);
    if (!tag->accepted) return nullptr;
    return tag;
}

std::unique_ptr<tag_t> create_tag_by_name(const std::u16string& name, tag_t* parent) {
    return create_child(tag_code(name), parent);
}

void set_bank_option(tag_t& tag, const std::u16string& option, const attribute_map_t* attributes) {
    tree_store().bank_options[&tag][option] = attributes;
    tag.has_bank_options = true;
}

const bank_options_t* bank_options_of(const tag_t& tag) {
    if (!tag.has_bank_options) return nullptr;
    const auto& table = tree_store().bank_options;
    auto it = table.find(&tag);
    return it == table.end() ? nullptr : &it->second;
}

bool has_bank_option(const tag_t& tag, const std::u16string& option) {
    const bank_options_t* options = bank_options_of(tag);
    return options && options->count(option) != 0;
}

void forget_bank_options(const tag_t& tag) {
    if (tag.has_bank_options) tree_store().bank_options.erase(&tag);
}
