#include "vars/var_scope.h"

var_registry_t* global_vars = nullptr;
var_registry_t* current_vars = nullptr;
