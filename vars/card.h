#pragma once

#include <string>
#include <string_view>

// A card: the user's payment card, a bank number, or a fixed choice of a selection. Copied by value.
struct card_t {
    std::u16string id0;
    std::u16string id1;
    std::u16string id2;
    // How the card is displayed: placeholders "{id0}", "{id1}", "{id2}" (also "{name}", "{id}").
    std::u16string template_text = u"{id0}-{id1}";
    // The line of a selection that offers to add another entry.
    bool add_new = false;
    // A fixed choice rather than a stored card: id0 is the text shown, id1 the whole request to send.
    bool script_entry = false;

    // The field a template names: "id0"/"name", "id1"/"id", "id2"; any other name gives an empty text.
    std::u16string field(std::u16string_view name) const;
    // The template expanded with the card's own fields.
    std::u16string display() const;

    // Cards are the same card when their three texts are equal; the template and flags do not count.
    bool operator==(const card_t& other) const { return id0 == other.id0 && id1 == other.id1 && id2 == other.id2; }
};

// The card half of template expansion: each "{key}" of the template replaced by the card's field.
std::u16string expand_card(std::u16string_view templ, const card_t& card);
