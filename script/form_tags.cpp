#include "script/form_tags.h"

#include "script/button_tags.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"

namespace {

const std::u16string expanded_key = u"expanded";

}  // namespace

Form_tag_t::Form_tag_t(tag_t* parent) : script_item(script_item_of(parent)) {
    accepted = tags::accepts(tags::Form, parent);
}

Input_tag_t::Input_tag_t(tag_t* parent) : form_tag(parent_of<Form_tag_t>(parent, tags::Form)) {
    accepted = tags::accepts(tags::Input, parent);
}

void Input_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption goes to the input item once inputs create their items.
}

input_leaf_t::input_leaf_t(tag_t* parent, int32_t code) : input(parent_of<Input_tag_t>(parent, tags::Input)) {
    accepted = tags::accepts(code, parent);
}

DefaultValue_tag_t::DefaultValue_tag_t(tag_t* parent)
    : input(parent_of<Input_tag_t>(parent, tags::Input)), item(parent_of<Item_tag_t>(parent, tags::Item)) {
    accepted = tags::accepts(tags::DefaultValue, parent);
}

CheckBox_tag_t::CheckBox_tag_t(tag_t* parent) : form_tag(parent_of<Form_tag_t>(parent, tags::Form)) {
    accepted = tags::accepts(tags::CheckBox, parent);
}

void CheckBox_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption goes to the check box item once check boxes create their items.
}

String_tag_t::String_tag_t(tag_t* parent) : form_tag(parent_of<Form_tag_t>(parent, tags::Form)) {
    accepted = tags::accepts(tags::String, parent);
}

void String_tag_t::load() {
    tag_simple_t::load();
    const std::u16string* value = attributes ? attributes->find(expanded_key) : nullptr;
    expanded = !value || *value == u"true";
}

void String_tag_t::save() {
    // The state is always written, so the record carries an attribute block even when it was read
    // without one.
    if (!attributes) attributes = std::make_unique<attribute_map_t>();
    attributes->set(expanded_key, expanded ? u"true" : u"false");
    tag_simple_t::save();
}

void String_tag_t::execute(int, int) {
    // Folding and unfolding the row comes with the form items.
}

Help_tag_t::Help_tag_t(tag_t* parent) : String_tag_t(parent), script_item(script_item_of(parent)) {
    accepted = tags::accepts(tags::Help, parent);
    if (parent_is(parent, {tags::ButtonHelp, tags::ButtonHelpAlert}))
        help_button = dynamic_cast<ButtonHelp_tag_t*>(parent);
}
