#pragma once

#include "vars/var_scope.h"

// Makes a registry the current scope for the lifetime of the guard and puts the previous one back, also
// when an error leaves the scope.
class current_scope_t {
public:
    explicit current_scope_t(var_registry_t* registry) : previous_(current_vars) { current_vars = registry; }
    ~current_scope_t() { current_vars = previous_; }
    current_scope_t(const current_scope_t&) = delete;
    current_scope_t& operator=(const current_scope_t&) = delete;

private:
    var_registry_t* previous_;
};
