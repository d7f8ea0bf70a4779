#pragma once

#include <cassert>
#include <cstdint>

#include "script/tag.h"
#include "script/tag_codes.h"

class ScriptItem_tag_t;

// The parent as the class the caller expects, when it has the given code; null otherwise. Tags use it for
// their typed parent, in their constructors or, for the leaves a script holds most of, each time they need it.
template <class T>
T* parent_of(tag_t* parent, int32_t code) {
    if (!parent || parent->code != code) return nullptr;
    // The tag table makes every code but "Image" as one class, so the code just checked decides the class.
    if (code == tags::Image) return dynamic_cast<T*>(parent);
    assert(dynamic_cast<T*>(parent));
    return static_cast<T*>(parent);
}

// The parent when it is a "ScriptItem" or a "ScriptItemAdd"; null otherwise.
ScriptItem_tag_t* script_item_of(tag_t* parent);
