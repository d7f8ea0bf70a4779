#pragma once

#include <string>

#include "vars/card.h"
#include "vars/text_table.h"
#include "vars/var.h"

class ScriptItemAdd_tag_t;

// An ordered list of cards (type code 1). Only each card's three texts are stored; the list's own template
// is applied to every card read out of it.
class card_list_var_t : public var_t {
public:
    static constexpr int32_t type_code = 1;

    card_list_var_t() : var_t(type_code) {}

    void load(storage_t& storage) override;
    void save(storage_t& storage) const override;

    int count() const { return cards_.rows(); }
    // A copy of card i with the list's template (the card's own "{id0}-{id1}" while the list has none) and both
    // flags cleared. i must be below count().
    card_t card_at(int i) const;
    std::u16string display_at(int i) const { return card_at(i).display(); }
    // Index of the first card whose display text is exactly `text`, or -1.
    int find_display(std::u16string_view text) const;
    // Whether card i has the three texts of `card`. i must be below count().
    bool same_card(int i, const card_t& card) const;
    void remove_at(int i);
    // Inserts a copy at i, or at the end when i is past it.
    void insert_at(const card_t& card, int i);
    void append(const card_t& card) { insert_at(card, count()); }
    void set_template(std::u16string text) { template_text = std::move(text); }

    // The add form that adds entries to this list; not owned, not stored.
    ScriptItemAdd_tag_t* add_form = nullptr;
    std::u16string template_text;

private:
    text_table_t cards_{3};
};
