#include "script/button_tags.h"

#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"

ButtonOk_tag_t::ButtonOk_tag_t(tag_t* parent) : script_item(script_item_of(parent)) {
    accepted = parent_is(parent, {1, 31, 32, 33, 64});
}

void ButtonOk_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption goes to the soft key once the buttons create their keys.
}

void ButtonOk_tag_t::execute(int, int) {
    // A button's action comes with the button behaviour.
}

ButtonBack_tag_t::ButtonBack_tag_t(tag_t* parent) : ButtonOk_tag_t(parent) {}

ButtonHelp_tag_t::ButtonHelp_tag_t(tag_t* parent) : ButtonOk_tag_t(parent) {}

ButtonHelpAlert_tag_t::ButtonHelpAlert_tag_t(tag_t* parent) : ButtonHelp_tag_t(parent) {}

ButtonSendSMS_tag_t::ButtonSendSMS_tag_t(tag_t* parent) : ButtonOk_tag_t(parent) {
    accepted = parent_is(parent, {32, 33});
}

ButtonAdd_tag_t::ButtonAdd_tag_t(tag_t* parent)
    : ButtonOk_tag_t(parent), add_form(parent_of<ScriptItemAdd_tag_t>(parent, 32)) {
    accepted = parent_is(parent, {32});
    if (add_form) add_form->has_add_button = true;
}

ButtonDel_tag_t::ButtonDel_tag_t(tag_t* parent)
    : ButtonOk_tag_t(parent),
      add_form(parent_of<ScriptItemAdd_tag_t>(parent, 32)),
      fav_list_tag(parent_of<ScriptFavList_tag_t>(parent, 64)) {
    accepted = parent_is(parent, {32, 64});
}

ButtonFavAddDel_tag_t::ButtonFavAddDel_tag_t(tag_t* parent) : ButtonOk_tag_t(parent) {
    accepted = parent_is(parent, {32, 33});
}

Caption_tag_t::Caption_tag_t(tag_t* parent) {
    accepted = parent_is(parent, {28, 29, 30, 31, 32, 33, 40, 41, 44, 45, 51, 52, 55, 62, 64, 65});
    if (accepted) captioned = dynamic_cast<tag_captioned_t*>(parent);
}

UserRequest_tag_t::UserRequest_tag_t(tag_t* parent) : item(parent_of<Item_tag_t>(parent, 53)) {
    accepted = parent_is(parent, {41, 45, 53});
    button = parent_is(parent, {41, 45}) ? dynamic_cast<ButtonOk_tag_t*>(parent) : nullptr;
}

Body_tag_t::Body_tag_t(tag_t* parent)
    : send_button(parent_of<ButtonSendSMS_tag_t>(parent, 41)), item(parent_of<Item_tag_t>(parent, 53)) {
    accepted = parent_is(parent, {41, 53});
}

fav_button_leaf_t::fav_button_leaf_t(tag_t* parent) : fav_button(parent_of<ButtonFavAddDel_tag_t>(parent, 65)) {
    accepted = parent_is(parent, {65});
}
