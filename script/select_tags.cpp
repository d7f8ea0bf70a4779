#include "script/select_tags.h"

#include "script/button_tags.h"
#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"

// Until the selections are built, the parameters take every text and give none.

Select_tag_t::Select_tag_t(tag_t* parent_tag) : form_tag(parent_of<Form_tag_t>(parent_tag, tags::Form)) {
    accepted = tags::accepts(tags::Select, parent_tag);
}

void Select_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption goes to the selection item once selections create their items.
}

SelectCard_tag_t::SelectCard_tag_t(tag_t* parent_tag) : Select_tag_t(parent_tag) {
    accepted = tags::accepts(tags::SelectCard, parent_tag);
}

void SelectCard_tag_t::execute(int, int) {
    // Adding a card from the selection comes with the card selection behaviour.
}

Item_tag_t::Item_tag_t(tag_t* parent_tag)
    : select(parent_of<Select_tag_t>(parent_tag, tags::Select)),
      checkbox(parent_of<CheckBox_tag_t>(parent_tag, tags::CheckBox)),
      select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)) {
    accepted = tags::accepts(tags::Item, parent_tag);
}

bool Item_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string Item_tag_t::value_text() {
    return {};
}

Value_tag_t::Value_tag_t(tag_t* parent_tag) : item(parent_of<Item_tag_t>(parent_tag, tags::Item)) {
    accepted = tags::accepts(tags::Value, parent_tag);
}

Default_tag_t::Default_tag_t(tag_t* parent_tag) : item(parent_of<Item_tag_t>(parent_tag, tags::Item)) {
    accepted = tags::accepts(tags::Default, parent_tag);
}

void Value_tag_t::link() {
    if (item) item->value = text;
}

void Default_tag_t::link() {
    if (item) item->is_default = true;
}

Mode_tag_t::Mode_tag_t(tag_t* parent_tag) {
    accepted = tags::accepts(tags::Mode, parent_tag);
    if (accepted) select = dynamic_cast<Select_tag_t*>(parent_tag);
}

Object_tag_t::Object_tag_t(tag_t* parent_tag)
    : fav_button(parent_of<ButtonFavAddDel_tag_t>(parent_tag, tags::ButtonFavAddDel)),
      fav_list_tag(parent_of<ScriptFavList_tag_t>(parent_tag, tags::ScriptFavList)),
      select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)) {
    accepted = tags::accepts(tags::Object, parent_tag);
}

bool Object_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string Object_tag_t::value_text() {
    return {};
}

AddName_tag_t::AddName_tag_t(tag_t* parent_tag)
    : select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)) {
    accepted = tags::accepts(tags::AddName, parent_tag);
}

bool AddName_tag_t::apply_text(const std::u16string&) {
    return true;
}

std::u16string AddName_tag_t::value_text() {
    return {};
}
