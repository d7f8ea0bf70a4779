#pragma once

#include <string>

#include "vars/card_var.h"
#include "vars/string_var.h"
#include "vars/var_registry.h"

// The two registries every tag can reach: the global one, which alone is loaded from and saved to the
// settings file, and the one of the current scope (the running script item's own, else the global one).
// The script's root menu tag creates the global registry and sets both; they are null before that.
extern var_registry_t* global_vars;
extern var_registry_t* current_vars;

// Read-only look-ups for templates: the first variable of that name and class in current_vars, then in
// global_vars, or null. They never create a variable and never raise the type error.
template <class T>
T* lookup_var(const std::u16string& name) {
    for (var_registry_t* registry : {current_vars, global_vars}) {
        if (!registry) continue;
        var_t* v = registry->lookup(name);
        if (v && v->type == T::type_code) return static_cast<T*>(v);
    }
    return nullptr;
}

inline string_var_t* lookup_string(const std::u16string& name) {
    return lookup_var<string_var_t>(name);
}
inline card_var_t* lookup_card(const std::u16string& name) {
    return lookup_var<card_var_t>(name);
}
