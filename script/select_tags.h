#pragma once

#include <string>

#include "script/tag.h"
#include "script/tag_codes.h"
#include "script/tag_interfaces.h"
#include "vars/card.h"

// Selections: choice lists, card selections and their entries.

class ButtonFavAddDel_tag_t;
class CheckBox_tag_t;
class Form_tag_t;
class ScriptFavList_tag_t;
class ScriptItem_tag_t;
class ScriptItemAdd_tag_t;
class card_list_var_t;
class checkbox_item_t;
class select_item_t;

// "Select" (52): a choice among fixed entries.
class Select_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit Select_tag_t(tag_t*) {}
    // Makes the selection item, lets the children fill it, picks the entry of `default_text` and adds the item
    // to the form.
    void show() override;
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    // The script item whose form this is; null outside one.
    ScriptItem_tag_t* script_item() const;
    // The script item when it is an add form; null otherwise.
    ScriptItemAdd_tag_t* add_form() const;

    // Made by each show; the form owns it once added. Kept for the time of the build.
    select_item_t* item = nullptr;
    // The value whose entry is picked when the form is built; set by a "Parameter" child.
    tag_text_t default_text;
    // The enclosing form; null outside one.
    Form_tag_t* form_tag() const;
};

// "SelectCard" (51): a choice among the user's cards, possibly with fixed entries. The current pick is the
// card in the card variable `card_var_name`.
class SelectCard_tag_t : public Select_tag_t, public action_t {
public:
    explicit SelectCard_tag_t(tag_t* parent);
    void link() override;
    void show() override;
    // The user changed the pick.
    void execute(int first, int second) override;

    // The card of `card_var_name` (the item's scope first, then the global one); the empty card when none.
    card_t current_pick() const;
    void choose(const card_t& card);

    // Bound by an "Object" child in link. Not owned.
    card_list_var_t* card_list = nullptr;
    // The enclosing item is being run to add a card and its form is built for the first time.
    bool nested = false;
    tag_text_t card_var_name;

private:
    // In an add form, fills "name", "id" and "priority" from the card being edited, or empties them for a new one.
    void prefill_add_form();
};

// "Item" (53): one entry of a selection or one box of a check box group.
class Item_tag_t : public tag_complex_t, public param_t {
public:
    explicit Item_tag_t(tag_t*) {}
    void link() override;
    void show() override;
    // Writes the default pick and the box's state as children, so the next start restores them.
    void save() override;
    // Under a card selection: picking this entry makes the current pick a fixed choice.
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    // The entry's text: its `Name` child's.
    const tag_text_t& name() const { return last_child_text(tags::Name); }
    // Picked when the form is built; set by a `Default` child.
    bool is_default = false;
    // The starting state of a check box entry; set by a `DefaultValue` child.
    bool checked = false;
    // The value stored for the entry: its `Value` child's.
    const tag_text_t& value() const { return last_child_text(tags::Value); }
    // The parent check box's item of the running show; null outside a check box. Not owned.
    checkbox_item_t* checkbox_item() const;
    // As a fixed choice of a card selection: the text shown and the whole request sent, its `UserRequest`
    // and its `Body` child's.
    const tag_text_t& request() const { return last_child_text(tags::UserRequest); }
    const tag_text_t& body() const { return last_child_text(tags::Body); }
    // The parent, as the one of these it is (the others null).
    Select_tag_t* select() const;
    CheckBox_tag_t* checkbox() const;
    SelectCard_tag_t* select_card() const;

private:
    // The card record that picking this entry stores.
    card_t as_card() const;
    // Keeps one child of `code` with `text`, or none when `keep` is false.
    void replace_state_child(int32_t code, bool keep, const std::u16string& text);
};

// "Value" (54): the code an entry stands for, which the entry reads.
class Value_tag_t : public tag_simple_t {
public:
    explicit Value_tag_t(tag_t*) {}
};

// "Default" (63): marks the preselected entry.
class Default_tag_t : public tag_simple_t {
public:
    explicit Default_tag_t(tag_t*) {}
    void link() override;

    Item_tag_t* item() const;
};

// "Mode" (47): the style of a selection, by exact keyword.
class Mode_tag_t : public tag_simple_t {
public:
    explicit Mode_tag_t(tag_t* parent);
    void show() override;

    // The parent "Select" or "SelectCard".
    Select_tag_t* select = nullptr;
};

// "Object" (46): names the list variable of a card selection, a favourites list or its button, and offers
// the cards or favourites of that list.
class Object_tag_t : public tag_simple_t, public param_t {
public:
    explicit Object_tag_t(tag_t* parent);
    void link() override;
    void show() override;
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    ButtonFavAddDel_tag_t* fav_button = nullptr;
    ScriptFavList_tag_t* fav_list_tag = nullptr;
    SelectCard_tag_t* select_card = nullptr;

private:
    void show_cards();
    void show_favourites();
};

// "AddName" (50): the line of a card selection that offers to add another card.
class AddName_tag_t : public tag_simple_t, public param_t {
public:
    explicit AddName_tag_t(tag_t* parent);
    void show() override;
    bool apply_text(const std::u16string& text) override;
    std::u16string value_text() override;

    SelectCard_tag_t* select_card = nullptr;
};
