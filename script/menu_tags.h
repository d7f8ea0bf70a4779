#pragma once

#include <memory>
#include <string>
#include <vector>

#include "script/tag.h"
#include "script/tag_codes.h"
#include "script/tag_interfaces.h"
#include "vars/var_registry.h"

// The menu tree: lists, sub-menus and script items, with the leaves that name and configure them.

class Item_tag_t;
class card_list_var_t;
class fav_list_var_t;
class form_t;
class list_t;

// One entry of a menu: its text and the tag it opens (not owned).
struct menuitem_t {
    std::u16string caption;
    tag_t* target = nullptr;
};

// "List" (5): the entries of a menu. Its children append them while they link, in their order; its show
// hands them to a list window of the display.
class List_tag_t : public tag_complex_t {
public:
    explicit List_tag_t(tag_t*) {}
    // Starts the entries afresh, then links the children, which append them.
    void link() override;
    void show() override;

    void append_entry(const std::u16string& caption, tag_t* target);

    std::vector<menuitem_t> entries;
};

// "ScriptList" (31): a sub-menu. Its `Name` children give it its entries in the parent list.
class ScriptList_tag_t : public tag_complex_t {
public:
    explicit ScriptList_tag_t(tag_t* parent);

    // The menu it is an entry of; null under any other parent.
    List_tag_t* list() const;
};

// "ScriptFavList" (64): the sub-menu of the user's favourites.
class ScriptFavList_tag_t : public ScriptList_tag_t {
public:
    explicit ScriptFavList_tag_t(tag_t* parent);
    ~ScriptFavList_tag_t() override;
    void show() override;

    // Made anew by each show; an `Object` child adds the favourites to it.
    std::unique_ptr<list_t> list_window;
    // Set by a `NoItems` child.
    tag_text_t empty_text;
    // The favourites variable, bound by an `Object` child. Not owned.
    fav_list_var_t* favourites = nullptr;
};

// "ScriptItem" (33): a menu entry that opens a form. It has a variable scope of its own, current while
// it links, shows and commits.
class ScriptItem_tag_t : public tag_complex_t, public tag_captioned_t {
public:
    explicit ScriptItem_tag_t(tag_t* parent);
    ~ScriptItem_tag_t() override;
    void link() override;
    // Runs the form: builds its items from the children and shows it, again as long as a rebuild is asked
    // for while it is open.
    void show() override;
    void commit() override;
    // Sets the form's title.
    void set_caption(const std::u16string& text, tag_t* caption_tag) override;

    // Closes the open form and has show() build and show it once more.
    void request_rebuild();

    // Made anew by each link.
    std::unique_ptr<form_t> form;
    // Its `EnterAlert` child's text; shown before the form opens when help alerts are on.
    const tag_text_t& enter_alert() const { return last_child_text(tags::EnterAlert); }
    // Its `Id` child's text.
    const tag_text_t& id() const { return last_child_text(tags::Id); }
    // The card variable a `SelectCard` of the form uses, named by that tag.
    tag_text_t card_var_name;
    // True while run_to_add builds the form's items the first time.
    bool nested = false;
    // Kept in the tag, which comes from the tag pool: a script has thousands of items.
    var_registry_t vars;
    // The menu it is an entry of; null under any other parent.
    List_tag_t* list() const;
    bool rebuild_pending = false;
};

// "ScriptItemAdd" (32): a script item whose form adds entries to a card list.
class ScriptItemAdd_tag_t : public ScriptItem_tag_t {
public:
    explicit ScriptItemAdd_tag_t(tag_t* parent);
    void link() override;

    // Runs the form on behalf of a card selection; true when program code ended it (an action closed it),
    // false when the user left it.
    bool run_to_add();

    // Set by a `Delimeter` child: the display template of the cards this form adds.
    tag_text_t card_template;
    // Set by a `NoItems` child: shown when the form is run to add and its card list is still empty.
    tag_text_t no_items_text;
    // The card list a `SelectCard` of this form is bound to; set again by that tag's link. Not owned.
    card_list_var_t* card_list = nullptr;
    // Set when a `ButtonAdd` is constructed under this item.
    bool has_add_button = false;
    // True while the form runs on behalf of a card selection.
    bool adding = false;
};

// "Name" (2): the name of a script item, a sub-menu or a selection entry.
class Name_tag_t : public tag_simple_t {
public:
    explicit Name_tag_t(tag_t*) {}
    void link() override;

    // The parent, as the one of these it is (the others null). An "Item" reads its name itself.
    ScriptItem_tag_t* script_item() const;
    ScriptList_tag_t* script_list() const;
};

// "Id" (3): the identifier under which a script item or sub-menu is found again.
class Id_tag_t : public tag_simple_t {
public:
    explicit Id_tag_t(tag_t*) {}
    void link() override;

    ScriptItem_tag_t* script_item() const;
    ScriptList_tag_t* script_list() const;
};

// "EnterAlert" (36): the text shown when a script item's form opens, which the script item reads.
class EnterAlert_tag_t : public tag_simple_t {
public:
    explicit EnterAlert_tag_t(tag_t*) {}
};

// "NoItems" (37): the text shown when a list has nothing to offer.
class NoItems_tag_t : public tag_simple_t {
public:
    explicit NoItems_tag_t(tag_t* parent);
    void link() override;

    ScriptItemAdd_tag_t* add_item = nullptr;
    ScriptFavList_tag_t* fav_list = nullptr;
};

// "Delimeter" (38): the display template of the cards an add form creates.
class Delimeter_tag_t : public tag_simple_t {
public:
    explicit Delimeter_tag_t(tag_t* parent);
    void link() override;

    ScriptItemAdd_tag_t* add_item = nullptr;
};
