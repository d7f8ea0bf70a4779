#include "vars/card.h"

#include "vars/template_expand.h"

std::u16string card_t::field(std::u16string_view name) const {
    if (name == u"id0" || name == u"name") return id0;
    if (name == u"id1" || name == u"id") return id1;
    if (name == u"id2") return id2;
    return {};
}

std::u16string card_t::display() const {
    return expand_card(template_text, *this);
}

std::u16string expand_card(std::u16string_view templ, const card_t& card) {
    return expand_template(templ, [&card](const std::u16string& key, bool&) { return card.field(key); });
}
