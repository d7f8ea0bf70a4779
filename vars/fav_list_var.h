#pragma once

#include <vector>

#include "vars/fav.h"
#include "vars/var.h"

// An ordered list of favourites (type code 3); each one's `id` and `name` are stored.
class fav_list_var_t : public var_t {
public:
    static constexpr int32_t type_code = 3;

    fav_list_var_t() : var_t(type_code) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    int count() const { return static_cast<int>(favourites.size()); }
    // i must be below count().
    fav_t fav_at(int i) const { return favourites.at(static_cast<size_t>(i)); }
    void remove_at(int i);
    void append(const fav_t& fav) { favourites.push_back(fav); }

    std::vector<fav_t> favourites;
};
