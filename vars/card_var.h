#pragma once

#include "vars/card.h"
#include "vars/var.h"

// One card (type code 2). Only the three texts are stored. An unset card variable displays as " - ".
class card_var_t : public var_t {
public:
    static constexpr int32_t type_code = 2;

    card_var_t() : var_t(type_code) { card.template_text = u" - "; }
    explicit card_var_t(const card_t& initial) : var_t(type_code), card(initial) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    const card_t& get_card() const { return card; }
    // Copies all six fields, the template and flags included.
    void set_card(const card_t& c) { card = c; }

    card_t card;
};
