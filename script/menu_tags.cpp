#include "script/menu_tags.h"

#include "resources/texts.h"
#include "script/current_scope.h"
#include "script/expand.h"
#include "script/parent_of.h"
#include "script/script_context.h"
#include "script/select_tags.h"
#include "script/tag_errors.h"
#include "ui/display.h"
#include "vars/var_registry.h"

namespace {

// The flag variable that turns the alerts shown on entering a form on.
const std::u16string help_alert_var = u"HelpAlert";

void show_information(const std::u16string& text) {
    auto alert = script_context.display->create_alert(texts::app_name, text, alert_t::information);
    alert->show();
}

}  // namespace

void List_tag_t::link() {
    entries.clear();
    tag_complex_t::link();
}

void List_tag_t::append_entry(const std::u16string& caption, tag_t* target) {
    entries.push_back(menuitem_t{caption, target});
}

void List_tag_t::show() {
    auto window = script_context.display->create_list(texts::app_name);
    for (const menuitem_t& entry : entries) window->add_entry(entry.caption, entry.target, {});
    window->show();
    const int picked = window->selected();
    // The list protocol counts a menu's entries from 1 here; the menus of this device never report a pick.
    if (picked > 0 && picked < static_cast<int>(entries.size())) entries[size_t(picked)].target->show();
    window->close();
}

List_tag_t* ScriptList_tag_t::list() const {
    return parent_of<List_tag_t>(parent, tags::List);
}

ScriptList_tag_t::ScriptList_tag_t(tag_t*) {}

ScriptFavList_tag_t::ScriptFavList_tag_t(tag_t* parent_tag) : ScriptList_tag_t(parent_tag) {}

ScriptFavList_tag_t::~ScriptFavList_tag_t() = default;

void ScriptFavList_tag_t::show() {
    list_window.reset();
    list_window = script_context.display->create_list(texts::app_name);
    tag_complex_t::show();
    const int count = favourites ? favourites->count() : 0;
    if (count == 0) {
        if (empty_text.empty()) empty_text = texts::favourites_empty;
        show_information(empty_text);
        return;
    }
    list_window->show();
    const int picked = list_window->selected();
    if (picked >= 0 && picked < count && script_context.tags_by_id) {
        // A favourite whose script item is gone from the script opens nothing.
        auto found = script_context.tags_by_id->find(favourites->fav_at(picked).id);
        if (found != script_context.tags_by_id->end() && found->second) found->second->show();
    }
    list_window->close();
}

ScriptItem_tag_t::ScriptItem_tag_t(tag_t*) {}

List_tag_t* ScriptItem_tag_t::list() const {
    return parent_of<List_tag_t>(parent, tags::List);
}

ScriptItem_tag_t::~ScriptItem_tag_t() {
    // The form's items may point into the children, which go with the base after this body.
    form.reset();
}

void ScriptItem_tag_t::link() {
    current_scope_t scope(&vars);
    form.reset();
    form = script_context.display->create_form(texts::app_name);
    tag_complex_t::link();
    // The entry's caption is the item's `Name`, or the form's first title when it has none.
    if (List_tag_t* menu = list()) menu->append_entry(form->title(), this);
}

void ScriptItem_tag_t::show() {
    if (!form) return;  // not linked
    current_scope_t scope(&vars);
    try {
        do {
            if (form->is_open()) form->close();
            form->clear();
            tag_complex_t::show();
            nested = false;
            if (!rebuild_pending) {
                // The typed get: a "HelpAlert" of another type is an error the user is shown.
                const bool alerts_on = global_vars->get_bool_or(help_alert_var, false)->value;
                if (alerts_on && !enter_alert().empty()) show_information(expand(enter_alert(), *this));
            }
            rebuild_pending = false;
            form->show();
        } while (rebuild_pending);
    } catch (const tag_card_list_empty_ex_t&) {
        // The selection that found no card has told the user; the form is not shown.
        nested = false;
        rebuild_pending = false;
    } catch (...) {
        // The next run starts afresh, enter alert included.
        nested = false;
        rebuild_pending = false;
        throw;
    }
    if (!card_var_name.empty()) vars.get_card(card_var_name)->card.add_new = false;
}

void ScriptItem_tag_t::commit() {
    current_scope_t scope(&vars);
    tag_complex_t::commit();
}

void ScriptItem_tag_t::set_caption(const std::u16string& text, tag_t*) {
    if (form) form->set_title(text);
}

void ScriptItem_tag_t::request_rebuild() {
    rebuild_pending = true;
    if (form && form->is_open()) form->close();
}

ScriptItemAdd_tag_t::ScriptItemAdd_tag_t(tag_t* parent_tag) : ScriptItem_tag_t(parent_tag) {}

void ScriptItemAdd_tag_t::link() {
    card_list = nullptr;
    ScriptItem_tag_t::link();
}

bool ScriptItemAdd_tag_t::run_to_add() {
    if (card_list && card_list->count() == 0) show_information(no_items_text);
    if (card_var_t* card = lookup_card(card_var_name)) card->card.add_new = true;
    adding = nested = true;
    try {
        show();
    } catch (...) {
        adding = nested = false;
        throw;
    }
    adding = nested = false;
    return form->ended_by_program();
}

ScriptItem_tag_t* script_item_of(tag_t* parent) {
    if (auto* item = parent_of<ScriptItem_tag_t>(parent, tags::ScriptItem)) return item;
    return parent_of<ScriptItem_tag_t>(parent, tags::ScriptItemAdd);
}

namespace {

ScriptList_tag_t* script_list_of(tag_t* parent) {
    if (auto* list = parent_of<ScriptList_tag_t>(parent, tags::ScriptList)) return list;
    return parent_of<ScriptList_tag_t>(parent, tags::ScriptFavList);
}

}  // namespace

ScriptItem_tag_t* Name_tag_t::script_item() const {
    return script_item_of(parent);
}

ScriptList_tag_t* Name_tag_t::script_list() const {
    return script_list_of(parent);
}

void Name_tag_t::link() {
    if (ScriptItem_tag_t* owner = script_item()) owner->form->set_title(text);
    if (ScriptList_tag_t* menu = script_list()) {
        if (List_tag_t* parent_menu = menu->list()) parent_menu->append_entry(text, menu);
    }
}

ScriptItem_tag_t* Id_tag_t::script_item() const {
    return script_item_of(parent);
}

ScriptList_tag_t* Id_tag_t::script_list() const {
    return script_list_of(parent);
}

void Id_tag_t::link() {
    if (script_context.tags_by_id && parent) (*script_context.tags_by_id)[text] = parent;
}

NoItems_tag_t::NoItems_tag_t(tag_t* parent_tag)
    : add_item(parent_of<ScriptItemAdd_tag_t>(parent_tag, tags::ScriptItemAdd)),
      fav_list(parent_of<ScriptFavList_tag_t>(parent_tag, tags::ScriptFavList)) {}

void NoItems_tag_t::link() {
    if (add_item) add_item->no_items_text = text;
    if (fav_list) fav_list->empty_text = text;
}

Delimeter_tag_t::Delimeter_tag_t(tag_t* parent_tag)
    : add_item(parent_of<ScriptItemAdd_tag_t>(parent_tag, tags::ScriptItemAdd)) {}

void Delimeter_tag_t::link() {
    if (!add_item) return;
    // A short text is the separator between a card's name and number; a longer one the whole template.
    add_item->card_template = text.size() <= 3 ? u"{id0}" + text + u"{id1}" : text;
}
