#include "script/param_tags.h"

#include "script/factory.h"
#include "script/form_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"

Parameter_tag_t::Parameter_tag_t(tag_t* parent_tag)
    : select(parent_of<Select_tag_t>(parent_tag, tags::Select)),
      select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)),
      input(parent_of<Input_tag_t>(parent_tag, tags::Input)),
      item(parent_of<Item_tag_t>(parent_tag, tags::Item)) {
    accepted = tags::accepts(tags::Parameter, parent_tag);
}

// Until the parameters are built, they take every text and give none.
bool Parameter_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string Parameter_tag_t::value_text() {
    return {};
}

Save_tag_t::Save_tag_t(tag_t* parent_tag) : Parameter_tag_t(parent_tag) {
    accepted = tags::accepts(tags::Save, parent_tag);
}

BankSpecified_tag_t::BankSpecified_tag_t(tag_t* parent_tag) {
    accepted = tags::accepts(tags::BankSpecified, parent_tag);
}

void BankSpecified_tag_t::link() {
    if (parent) set_bank_option(*parent, text, attributes.get());
}
