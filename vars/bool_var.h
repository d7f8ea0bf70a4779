#pragma once

#include "vars/var.h"

// A flag (type code 0), stored as one byte.
class bool_var_t : public var_t {
public:
    static constexpr int32_t type_code = 0;

    bool_var_t() : var_t(type_code) {}
    explicit bool_var_t(bool initial) : var_t(type_code), value(initial) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    bool value = false;
};
