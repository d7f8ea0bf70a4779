#pragma once

#include <cstdint>

#include "script/tag.h"

// The parent as the class the caller expects, when it has the given code; null otherwise. The typed
// parent pointers of the tags are set with it in their constructors.
template <class T>
T* parent_of(tag_t* parent, int32_t code) {
    return parent && parent->code == code ? dynamic_cast<T*>(parent) : nullptr;
}
