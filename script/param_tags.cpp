#include "script/param_tags.h"

#include "script/factory.h"
#include "script/form_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"

Parameter_tag_t::Parameter_tag_t(tag_t* parent)
    : select(parent_of<Select_tag_t>(parent, 52)),
      select_card(parent_of<SelectCard_tag_t>(parent, 51)),
      input(parent_of<Input_tag_t>(parent, 55)),
      item(parent_of<Item_tag_t>(parent, 53)) {
    accepted = parent_is(parent, {51, 52, 53, 55});
}

// Until the parameters are built, they take every text and give none.
bool Parameter_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string Parameter_tag_t::value_text() {
    return {};
}

// Any real parent; the factory's stand-in parent has code 0.
BankSpecified_tag_t::BankSpecified_tag_t(tag_t* parent) {
    accepted = parent && parent->code != 0;
}

void BankSpecified_tag_t::link() {
    if (parent) set_bank_option(*parent, text, attributes.get());
}
