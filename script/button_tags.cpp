#include "script/button_tags.h"

#include "resources/texts.h"
#include "script/expand.h"
#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/script_context.h"
#include "script/select_tags.h"
#include "script/tag_codes.h"
#include "ui/display.h"
#include "vars/var_scope.h"

ButtonOk_tag_t::ButtonOk_tag_t(tag_t*) {}

ButtonOk_tag_t::~ButtonOk_tag_t() = default;

ScriptItem_tag_t* ButtonOk_tag_t::script_item() const {
    return script_item_of(parent);
}

form_t* ButtonOk_tag_t::form() const {
    const ScriptItem_tag_t* owner = script_item();
    return owner ? owner->form.get() : nullptr;
}

void ButtonOk_tag_t::show() {
    if (script_item()) {
        button.reset();
        button = script_context.display->create_button(form(), texts::button_ok, button_kind);
        button->set_action(this);
    }
    tag_complex_t::show();
    if (script_item() && button && form()) form()->add_button(button.get());
}

void ButtonOk_tag_t::set_caption(const std::u16string& text, tag_t*) {
    if (button) button->set_caption(text);
}

void ButtonOk_tag_t::execute(int, int) {
    if (form_t* shown = form()) shown->close();
}

ButtonBack_tag_t::ButtonBack_tag_t(tag_t* parent_tag) : ButtonOk_tag_t(parent_tag) {
    button_kind = button_t::back;
}

ButtonHelp_tag_t::ButtonHelp_tag_t(tag_t* parent_tag) : ButtonOk_tag_t(parent_tag) {
    button_kind = button_t::plain;
}

void ButtonHelp_tag_t::show() {
    button.reset();
    if (script_item()) {
        button = script_context.display->create_button(form(), texts::button_help, button_kind);
        button->set_action(this);
    }
    tag_complex_t::show();
    if (script_item() && form() && global_vars && global_vars->get_bool_or(u"HelpAlertButton", false)->value) {
        form()->add_button(button.get());
    }
}

void ButtonHelp_tag_t::execute(int, int) {
    auto alert = script_context.display->create_alert(texts::app_name, expand(help_text, *this), alert_t::information);
    alert->show();
}

ButtonHelpAlert_tag_t::ButtonHelpAlert_tag_t(tag_t* parent_tag) : ButtonHelp_tag_t(parent_tag) {}

ButtonSendSMS_tag_t::ButtonSendSMS_tag_t(tag_t* parent_tag) : ButtonOk_tag_t(parent_tag) {}

ButtonAdd_tag_t::ButtonAdd_tag_t(tag_t* parent_tag)
    : ButtonOk_tag_t(parent_tag), add_form(parent_of<ScriptItemAdd_tag_t>(parent_tag, tags::ScriptItemAdd)) {
    if (add_form) add_form->has_add_button = true;
}

ButtonDel_tag_t::ButtonDel_tag_t(tag_t* parent_tag)
    : ButtonOk_tag_t(parent_tag),
      add_form(parent_of<ScriptItemAdd_tag_t>(parent_tag, tags::ScriptItemAdd)),
      fav_list_tag(parent_of<ScriptFavList_tag_t>(parent_tag, tags::ScriptFavList)) {
    if (fav_list_tag) button_kind = button_t::plain;
}

ButtonFavAddDel_tag_t::ButtonFavAddDel_tag_t(tag_t* parent_tag) : ButtonOk_tag_t(parent_tag) {
    button_kind = button_t::plain;
}

tag_captioned_t* Caption_tag_t::captioned() const {
    return accepted ? dynamic_cast<tag_captioned_t*>(parent) : nullptr;
}

ButtonOk_tag_t* UserRequest_tag_t::button() const {
    if (auto* send = parent_of<ButtonOk_tag_t>(parent, tags::ButtonSendSMS)) return send;
    return parent_of<ButtonOk_tag_t>(parent, tags::ButtonDel);
}

void Caption_tag_t::show() {
    if (auto* parent_captioned = captioned()) parent_captioned->set_caption(text, this);
}

void UserRequest_tag_t::link() {
    if (auto* parent_button = button()) parent_button->request = text;
}

fav_button_leaf_t::fav_button_leaf_t(tag_t* parent_tag)
    : fav_button(parent_of<ButtonFavAddDel_tag_t>(parent_tag, tags::ButtonFavAddDel)) {}
