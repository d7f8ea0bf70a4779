#pragma once

#include <string>

#include "vars/fav.h"
#include "vars/var.h"

// One favourite (type code 4); `id` and `name` are stored, `item` is not.
class fav_var_t : public var_t {
public:
    static constexpr int32_t type_code = 4;

    fav_var_t() : var_t(type_code) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    std::u16string id;
    std::u16string name;
    ScriptItem_tag_t* item = nullptr;
};
