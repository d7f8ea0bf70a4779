#include "script/param_tags.h"

#include "script/factory.h"
#include "script/form_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"

Parameter_tag_t::Parameter_tag_t(tag_t* parent)
    : select(parent_of<Select_tag_t>(parent, tags::Select)),
      select_card(parent_of<SelectCard_tag_t>(parent, tags::SelectCard)),
      input(parent_of<Input_tag_t>(parent, tags::Input)),
      item(parent_of<Item_tag_t>(parent, tags::Item)) {
    accepted = tags::accepts(tags::Parameter, parent);
}

// Until the parameters are built, they take every text and give none.
bool Parameter_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string Parameter_tag_t::value_text() {
    return {};
}

Save_tag_t::Save_tag_t(tag_t* parent) : Parameter_tag_t(parent) {
    accepted = tags::accepts(tags::Save, parent);
}

BankSpecified_tag_t::BankSpecified_tag_t(tag_t* parent) {
    accepted = tags::accepts(tags::BankSpecified, parent);
}

void BankSpecified_tag_t::link() {
    if (parent) set_bank_option(*parent, text, attributes.get());
}
