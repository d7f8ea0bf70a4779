#pragma once

#include "script/tag.h"
#include "script/tag_interfaces.h"

// The menu tree: lists, sub-menus and script items, with the leaves that name and configure them.

class Item_tag_t;
class fav_list_var_t;

// "List" (5): the entries of a menu.
class List_tag_t : public tag_complex_t {
public:
    explicit List_tag_t(tag_t* parent);
};

// "ScriptList" (31): a sub-menu.
class ScriptList_tag_t : public tag_complex_t {
public:
    explicit ScriptList_tag_t(tag_t* parent);

    List_tag_t* list = nullptr;
};

// "ScriptFavList" (64): the sub-menu of the user's favourites.
class ScriptFavList_tag_t : public ScriptList_tag_t {
public:
    explicit ScriptFavList_tag_t(tag_t* parent);

    // The favourites variable, bound by an `Object` child. Not owned.
    fav_list_var_t* favourites = nullptr;
};

// "ScriptItem" (33): a menu entry that opens a form.
class ScriptItem_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit ScriptItem_tag_t(tag_t* parent);
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    List_tag_t* list = nullptr;
};

// "ScriptItemAdd" (32): a script item whose form adds entries to a card list.
class ScriptItemAdd_tag_t : public ScriptItem_tag_t {
public:
    explicit ScriptItemAdd_tag_t(tag_t* parent);

    // Set when a `ButtonAdd` is constructed under this item.
    bool has_add_button = false;
};

// "Name" (2): the name of a script item, a sub-menu or a selection entry.
class Name_tag_t : public tag_simple_t {
public:
    explicit Name_tag_t(tag_t* parent);

    ScriptItem_tag_t* script_item = nullptr;
    ScriptList_tag_t* script_list = nullptr;
    Item_tag_t* item = nullptr;
};

// "Id" (3): the identifier under which a script item or sub-menu is found again.
class Id_tag_t : public tag_simple_t {
public:
    explicit Id_tag_t(tag_t* parent);

    ScriptItem_tag_t* script_item = nullptr;
    ScriptList_tag_t* script_list = nullptr;
};

// "EnterAlert" (36): the text shown when a script item's form opens.
class EnterAlert_tag_t : public tag_simple_t {
public:
    explicit EnterAlert_tag_t(tag_t* parent);

    ScriptItem_tag_t* script_item = nullptr;
};

// "NoItems" (37): the text shown when a list has nothing to offer.
class NoItems_tag_t : public tag_simple_t {
public:
    explicit NoItems_tag_t(tag_t* parent);

    ScriptItemAdd_tag_t* add_item = nullptr;
    ScriptFavList_tag_t* fav_list = nullptr;
};

// "Delimeter" (38): the display template of the cards an add form creates.
class Delimeter_tag_t : public tag_simple_t {
public:
    explicit Delimeter_tag_t(tag_t* parent);

    ScriptItemAdd_tag_t* add_item = nullptr;
};
