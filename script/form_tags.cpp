#include "script/form_tags.h"

#include "core/text_number.h"
#include "resources/texts.h"
#include "script/button_tags.h"
#include "script/expand.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/script_context.h"
#include "script/select_tags.h"
#include "ui/display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::u16string expanded_key = u"expanded";
// The flag variable that shows a form's help texts as rows of the form.
const std::u16string help_strings_var = u"HelpStrings";
// The script item's help texts, for its help buttons.
const std::u16string help_var = u"Help";
const std::u16string base_help_var = u"BaseHelp";

display_t& display() {
    return *script_context.display;
}

}  // namespace

ScriptItem_tag_t* Form_tag_t::script_item() const {
    return script_item_of(parent);
}

form_t* Form_tag_t::form() const {
    const ScriptItem_tag_t* owner = script_item();
    return owner ? owner->form.get() : nullptr;
}

bool Form_tag_t::in_add_form() const {
    const ScriptItem_tag_t* owner = script_item();
    return owner && owner->code == tags::ScriptItemAdd;
}

void Form_tag_t::request_rebuild() {
    if (ScriptItem_tag_t* owner = script_item()) owner->request_rebuild();
}

Form_tag_t* Input_tag_t::form_tag() const {
    return parent_of<Form_tag_t>(parent, tags::Form);
}

void Input_tag_t::show() {
    form_t* form = Form_tag_t::form_of(form_tag());
    std::unique_ptr<input_item_t> made = display().create_input_item(form, texts::input_caption);
    item = made.get();
    type_index = 0;
    tag_complex_t::show();
    if (form) form->add_item(std::move(made));
}

void Input_tag_t::set_caption(const std::u16string& text, tag_t*) {
    if (item) item->set_caption(text);
}

Input_tag_t* input_leaf_t::input() const {
    return parent_of<Input_tag_t>(parent, tags::Input);
}

input_item_t* input_leaf_t::input_item() const {
    const Input_tag_t* owner = input();
    return owner ? owner->item : nullptr;
}

void MaxLength_tag_t::show() {
    if (input_item_t* i = input_item()) i->set_max_length(leading_number(text));
}

void MinLength_tag_t::show() {
    if (input_item_t* i = input_item()) i->set_min_length(leading_number(text));
}

void ErrorMin_tag_t::show() {
    if (input_item_t* i = input_item()) i->set_error_text(text);
}

DefaultValue_tag_t::DefaultValue_tag_t(tag_t* parent_tag)
    : input(parent_of<Input_tag_t>(parent_tag, tags::Input)), item(parent_of<Item_tag_t>(parent_tag, tags::Item)) {}

void DefaultValue_tag_t::link() {
    if (input) input->default_value = text;
    if (item) {
        std::u16string lower = text;
        for (char16_t& c : lower)
            if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
        item->checked = lower == u"true";
    }
}

Form_tag_t* CheckBox_tag_t::form_tag() const {
    return parent_of<Form_tag_t>(parent, tags::Form);
}

void CheckBox_tag_t::show() {
    form_t* form = Form_tag_t::form_of(form_tag());
    std::unique_ptr<checkbox_item_t> made = display().create_checkbox_item(form, texts::checkbox_caption);
    item = made.get();
    tag_complex_t::show();
    if (form) form->add_item(std::move(made));
}

void CheckBox_tag_t::set_caption(const std::u16string& text, tag_t*) {
    if (item) item->set_caption(text);
}

Form_tag_t* String_tag_t::form_tag() const {
    return parent_of<Form_tag_t>(parent, tags::Form);
}

void String_tag_t::load() {
    tag_simple_t::load();
    const attribute_map_t* attributes = this->attributes();
    const tag_text_t* value = attributes ? attributes->find(expanded_key) : nullptr;
    expanded = !value || *value == u"true";
}

void String_tag_t::save() {
    // The state is always written, so the record carries an attribute block even when it was read
    // without one.
    own_attributes().set(expanded_key, expanded ? u"true" : u"false");
    tag_simple_t::save();
}

void String_tag_t::show() {
    form_t* form = Form_tag_t::form_of(form_tag());
    if (!form) return;
    std::unique_ptr<string_item_t> made = display().create_string_item(form, expand(text, *this));
    item = made.get();
    item->set_click_handler(this);
    if (expanded)
        item->unfold();
    else
        item->fold();
    form->add_item(std::move(made));
}

void String_tag_t::execute(int, int) {
    if (!item) return;
    if (expanded)
        item->fold();
    else
        item->unfold();
    expanded = !expanded;
    if (form_t* form = Form_tag_t::form_of(form_tag())) form->refresh();
}

Help_tag_t::Help_tag_t(tag_t* parent_tag) : String_tag_t(parent_tag), script_item(script_item_of(parent_tag)) {
    if (parent_tag && (parent_tag->code == tags::ButtonHelp || parent_tag->code == tags::ButtonHelpAlert))
        help_button = dynamic_cast<ButtonHelp_tag_t*>(parent_tag);
}

void Help_tag_t::link() {
    if (!script_item) return;
    // The script item has made its own scope current.
    current_vars->get_string(help_var)->value = text;
    current_vars->get_string(base_help_var)->value = text;
}

void Help_tag_t::show() {
    if (help_button) {
        help_button->help_text = text;
        return;
    }
    if (form_tag() && global_vars->get_bool_or(help_strings_var, true)->value) String_tag_t::show();
}
