#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "script/attribute_map.h"
#include "script/tag_codes.h"
#include "script/tree_store.h"

class tag_t;

// Tag codes run from 1 to this; the table of names, classes and placements is in tag_table.cpp.
inline constexpr int32_t last_tag_code = tags::last;

// The code of a tag name, compared exactly. An unknown name raises tag_unknown_ex_t {0, name}.
int32_t tag_code(const std::u16string& name);

// The name of a code from 1 to 71 (the attributes bit cleared); "Не известно" for any other.
std::u16string tag_name(int32_t code);

// The factory. `code` may carry the attributes bit, which gives the tag an empty attribute map;
// `parent` may be null. Always returns a tag (the caller checks `accepted`), or raises tag_unknown_ex_t
// for a code outside the table, or the text error "nnn" for an "Image" outside "Logo" and "Form".
std::unique_ptr<tag_t> create_tag(int32_t code, tag_t* parent);

// create_tag, then null when the tag is not accepted under `parent`.
std::unique_ptr<tag_t> create_child(int32_t code, tag_t* parent);

// create_tag with the code of `name`; null when not accepted.
std::unique_ptr<tag_t> create_tag_by_name(const std::u16string& name, tag_t* parent);

// Bank options: the attribute maps that `BankSpecified` children attach to their parent, by name. Few tags
// carry them, so they are kept in the tree store rather than in every tag.
void set_bank_option(tag_t& tag, const std::u16string& option, const attribute_map_t* attributes);
bool has_bank_option(const tag_t& tag, const std::u16string& option);
// The options set on `tag`, or null when none.
const bank_options_t* bank_options_of(const tag_t& tag);
// Drops the options of a tag that goes.
void forget_bank_options(const tag_t& tag);
