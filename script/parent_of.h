#pragma once

#include <cstdint>

#include "script/tag.h"
#include "script/tag_codes.h"

class ScriptItem_tag_t;

// The parent as the class the caller expects, when it has the given code; null otherwise. The typed
// parent pointers of the tags are set with it in their constructors.
template <class T>
T* parent_of(tag_t* parent, int32_t code) {
    return parent && parent->code == code ? dynamic_cast<T*>(parent) : nullptr;
}

// The parent when it is a "ScriptItem" or a "ScriptItemAdd"; null otherwise.
ScriptItem_tag_t* script_item_of(tag_t* parent);
