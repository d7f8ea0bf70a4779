#pragma once

#include "script/tag.h"
#include "script/tag_codes.h"
#include "script/tag_interfaces.h"

// The form of a script item and its inputs, check boxes and text rows.

class ButtonHelp_tag_t;
class Item_tag_t;
class ScriptItem_tag_t;
class checkbox_item_t;
class form_t;
class input_item_t;
class string_item_t;

// "Form" (39): the content of a script item's form.
class Form_tag_t : public tag_complex_t {
public:
    explicit Form_tag_t(tag_t*) {}

    // Whether the enclosing script item is an add form ("ScriptItemAdd").
    bool in_add_form() const;
    // The enclosing script item's request_rebuild.
    void request_rebuild();

    // The enclosing script item's form; null until it is linked. Not owned.
    form_t* form() const;
    // The form of `owner`, for the tags that stand in one; null without an owner or a form.
    static form_t* form_of(const Form_tag_t* owner) { return owner ? owner->form() : nullptr; }
    // The enclosing script item; null outside one.
    ScriptItem_tag_t* script_item() const;
};

// "Input" (55): a text input. Each show makes its item anew and lets the children configure it.
class Input_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit Input_tag_t(tag_t*) {}
    void show() override;
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    // The item of the running show; the form owns it once added. Null before the first show.
    input_item_t* item = nullptr;
    // Set by a `DefaultValue` child; kept with the tag, read by nothing else.
    tag_text_t default_value;
    // Set by a `Type` child: its text, or "ANY" when it names no type.
    tag_text_t type_text;
    // The type that text names (input_item_t::type_t), whatever its case; `any` without a `Type`.
    int type_index = 0;
    // The enclosing form; null outside one.
    Form_tag_t* form_tag() const;
};

// The leaves that configure an input's item in show.
class input_leaf_t : public tag_simple_t {
public:
    // The parent input; null under any other parent.
    Input_tag_t* input() const;

protected:
    // The input's item of the running show; null without one.
    input_item_t* input_item() const;
};

// "InputMode" (56): only kept; the platform has no input modes.
class InputMode_tag_t : public input_leaf_t {
public:
    explicit InputMode_tag_t(tag_t*) {}
};

// "MaxLength" (57).
class MaxLength_tag_t : public input_leaf_t {
public:
    explicit MaxLength_tag_t(tag_t*) {}
    void show() override;
};

// "MinLength" (58).
class MinLength_tag_t : public input_leaf_t {
public:
    explicit MinLength_tag_t(tag_t*) {}
    void show() override;
};

// "ErrorMin" (59): the message shown when the entry is shorter than the minimum.
class ErrorMin_tag_t : public input_leaf_t {
public:
    explicit ErrorMin_tag_t(tag_t*) {}
    void show() override;
};

// "DefaultValue" (60): the starting value of an input or a check box entry.
class DefaultValue_tag_t : public tag_simple_t {
public:
    explicit DefaultValue_tag_t(tag_t* parent);
    void link() override;

    Input_tag_t* input = nullptr;
    Item_tag_t* item = nullptr;
};

// "CheckBox" (62): a group of check boxes; its `Item` children are the boxes.
class CheckBox_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit CheckBox_tag_t(tag_t*) {}
    void show() override;
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    // The item of the running show; the form owns it once added. Null before the first show.
    checkbox_item_t* item = nullptr;
    // The enclosing form; null outside one.
    Form_tag_t* form_tag() const;
};

// "String" (61): a text row of a form that folds and unfolds when clicked. Whether it is unfolded
// is kept in its attribute "expanded".
class String_tag_t : public tag_simple_t, public action_t {
public:
    explicit String_tag_t(tag_t*) {}
    void load() override;
    void save() override;
    // Adds the row, its text expanded, to the form.
    void show() override;
    // The row was clicked: it folds or unfolds.
    void execute(int first, int second) override;

    // The row of the running show; the form owns it once added.
    string_item_t* item = nullptr;
    Form_tag_t* form_tag() const;
    bool expanded = true;
};

// "Help" (34): a help text, for a script item, a help button or a form.
class Help_tag_t : public String_tag_t {
public:
    explicit Help_tag_t(tag_t* parent);
    // Under a script item: the item's "Help" and "BaseHelp" texts.
    void link() override;
    // Under a help button: its help text; under a form: a text row, when help strings are on.
    void show() override;

    ScriptItem_tag_t* script_item = nullptr;
    ButtonHelp_tag_t* help_button = nullptr;
};
