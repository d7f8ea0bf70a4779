#pragma once

#include <cstdint>
#include <vector>

#include "script/tag_codes.h"

// The one table of the script's tags: for each code its name, its class and the parents it may stand
// under. The factory, the names and the placement rule all read it.
struct tag_kind_t {
    enum placement_t {
        listed,        // under the parents in `parents` only
        any,           // under every parent, also none
        any_existing,  // under every parent, but not without one
    };

    int32_t code;
    const char16_t* name;
    placement_t placement;
    std::vector<int32_t> parents;
    // Constructs the tag's class for `parent` (never null: the factory stands in for a missing parent).
    tag_t* (*make)(tag_t* parent);
};

// The row of `code`, or null for a code outside the table.
const tag_kind_t* tag_kind(int32_t code);
