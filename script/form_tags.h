#pragma once

#include "script/tag.h"
#include "script/tag_codes.h"
#include "script/tag_interfaces.h"

// The form of a script item and its inputs, check boxes and text rows.

class ButtonHelp_tag_t;
class Item_tag_t;
class ScriptItem_tag_t;

// "Form" (39): the content of a script item's form.
class Form_tag_t : public tag_complex_t {
public:
    explicit Form_tag_t(tag_t* parent);

    ScriptItem_tag_t* script_item = nullptr;
};

// "Input" (55): a text input.
class Input_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit Input_tag_t(tag_t* parent);
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    Form_tag_t* form_tag = nullptr;
};

// The leaves that configure an input.
class input_leaf_t : public tag_simple_t {
public:
    input_leaf_t(tag_t* parent, int32_t code);

    Input_tag_t* input = nullptr;
};

// "InputMode" (56).
class InputMode_tag_t : public input_leaf_t {
public:
    explicit InputMode_tag_t(tag_t* parent) : input_leaf_t(parent, tags::InputMode) {}
};

// "MaxLength" (57).
class MaxLength_tag_t : public input_leaf_t {
public:
    explicit MaxLength_tag_t(tag_t* parent) : input_leaf_t(parent, tags::MaxLength) {}
};

// "MinLength" (58).
class MinLength_tag_t : public input_leaf_t {
public:
    explicit MinLength_tag_t(tag_t* parent) : input_leaf_t(parent, tags::MinLength) {}
};

// "ErrorMin" (59).
class ErrorMin_tag_t : public input_leaf_t {
public:
    explicit ErrorMin_tag_t(tag_t* parent) : input_leaf_t(parent, tags::ErrorMin) {}
};

// "DefaultValue" (60): the starting value of an input or a check box entry.
class DefaultValue_tag_t : public tag_simple_t {
public:
    explicit DefaultValue_tag_t(tag_t* parent);

    Input_tag_t* input = nullptr;
    Item_tag_t* item = nullptr;
};

// "CheckBox" (62): a group of check boxes.
class CheckBox_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit CheckBox_tag_t(tag_t* parent);
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    Form_tag_t* form_tag = nullptr;
};

// "String" (61): a text row of a form that folds and unfolds when clicked. Whether it is unfolded
// is kept in its attribute "expanded".
class String_tag_t : public tag_simple_t, public action_t {
public:
    explicit String_tag_t(tag_t* parent);
    void load() override;
    void save() override;
    void execute(int first, int second) override;

    Form_tag_t* form_tag = nullptr;
    bool expanded = true;
};

// "Help" (34): a help text, for a script item, a help button or a form.
class Help_tag_t : public String_tag_t {
public:
    explicit Help_tag_t(tag_t* parent);

    ScriptItem_tag_t* script_item = nullptr;
    ButtonHelp_tag_t* help_button = nullptr;
};
