#pragma once

#include "script/tag.h"
#include "script/tag_interfaces.h"

// Selections: choice lists, card selections and their entries.

class ButtonFavAddDel_tag_t;
class CheckBox_tag_t;
class Form_tag_t;
class ScriptFavList_tag_t;

// "Select" (52): a choice among fixed entries.
class Select_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit Select_tag_t(tag_t* parent);
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    Form_tag_t* form_tag = nullptr;
};

// "SelectCard" (51): a choice among the user's cards.
class SelectCard_tag_t : public Select_tag_t, public action_t {
public:
    explicit SelectCard_tag_t(tag_t* parent);
    void execute(int first, int second) override;
};

// "Item" (53): one entry of a selection or one box of a check box group.
class Item_tag_t : public tag_complex_t, public param_t {
public:
    explicit Item_tag_t(tag_t* parent);
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    // The entry's text, set by a `Name` child.
    std::u16string name;
    // Picked when the form is built; set by a `Default` child.
    bool is_default = false;
    // The starting state of a check box entry; set by a `DefaultValue` child.
    bool checked = false;
    // The value stored for the entry, set by a `Value` child.
    std::u16string value;
    // Set by a `UserRequest` child and by a `Body` child.
    std::u16string request;
    std::u16string body;
    // The parent, in the one field that matches its code.
    Select_tag_t* select = nullptr;
    CheckBox_tag_t* checkbox = nullptr;
    SelectCard_tag_t* select_card = nullptr;
};

// "Value" (54): the code an entry stands for.
class Value_tag_t : public tag_simple_t {
public:
    explicit Value_tag_t(tag_t* parent);
    void link() override;

    Item_tag_t* item = nullptr;
};

// "Default" (63): marks the preselected entry.
class Default_tag_t : public tag_simple_t {
public:
    explicit Default_tag_t(tag_t* parent);
    void link() override;

    Item_tag_t* item = nullptr;
};

// "Mode" (47): the style of a selection.
class Mode_tag_t : public tag_simple_t {
public:
    explicit Mode_tag_t(tag_t* parent);

    // The parent "Select" or "SelectCard".
    Select_tag_t* select = nullptr;
};

// "Object" (46): names the list variable of a card selection, a favourites list or its button.
class Object_tag_t : public tag_simple_t, public param_t {
public:
    explicit Object_tag_t(tag_t* parent);
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    ButtonFavAddDel_tag_t* fav_button = nullptr;
    ScriptFavList_tag_t* fav_list_tag = nullptr;
    SelectCard_tag_t* select_card = nullptr;
};

// "AddName" (50): the label of the line that offers to add a card.
class AddName_tag_t : public tag_simple_t, public param_t {
public:
    explicit AddName_tag_t(tag_t* parent);
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    SelectCard_tag_t* select_card = nullptr;
};
