#pragma once

#include <string_view>
#include <vector>

#include "vars/fav.h"
#include "vars/text_table.h"
#include "vars/var.h"

// An ordered list of favourites (type code 3); each one's `id` and `name` are stored.
class fav_list_var_t : public var_t {
public:
    static constexpr int32_t type_code = 3;

    fav_list_var_t() : var_t(type_code) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    int count() const { return favs_.rows(); }
    // A copy of favourite i. i must be below count().
    fav_t fav_at(int i) const;
    // Index of the first favourite with this id, or -1.
    int find_id(std::u16string_view id) const;
    void remove_at(int i);
    void append(const fav_t& fav);

private:
    text_table_t favs_{2};
    // The items of the favourites added in this run, by index; shorter than the list (often empty) when the
    // favourites after its end have none, as every loaded one.
    std::vector<ScriptItem_tag_t*> items_;
};
