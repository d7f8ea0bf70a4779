#include "script/select_tags.h"

#include "resources/texts.h"
#include "script/button_tags.h"
#include "script/factory.h"
#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/script_context.h"
#include "script/tag_codes.h"
#include "script/tag_errors.h"
#include "ui/display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

std::u16string decimal(int n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

void set_if_present(const char16_t* name, const std::u16string& text) {
    if (string_var_t* var = lookup_string(name)) var->value = text;
}

}  // namespace

Form_tag_t* Select_tag_t::form_tag() const {
    return parent_of<Form_tag_t>(parent, tags::Form);
}

ScriptItem_tag_t* Select_tag_t::script_item() const {
    const Form_tag_t* owner = form_tag();
    return owner ? owner->script_item() : nullptr;
}

ScriptItemAdd_tag_t* Select_tag_t::add_form() const {
    ScriptItem_tag_t* owner = script_item();
    return owner && owner->code == tags::ScriptItemAdd ? static_cast<ScriptItemAdd_tag_t*>(owner) : nullptr;
}

void Select_tag_t::show() {
    form_t* form = Form_tag_t::form_of(form_tag());
    auto made = script_context.display->create_select_item(form, texts::select_caption);
    item = made.get();
    tag_complex_t::show();
    if (!default_text.empty()) {
        for (auto& child : children) {
            if (child->code != tags::Item) continue;
            auto& entry = static_cast<Item_tag_t&>(*child);
            if (entry.value() != default_text) continue;
            item->select_text(entry.name());
            break;
        }
    }
    if (form) form->add_item(std::move(made));
    // Without a form the item goes with `made`; nothing may use it after the build.
    if (!form) item = nullptr;
}

void Select_tag_t::set_caption(const std::u16string& text, tag_t*) {
    if (item) item->set_caption(text);
}

SelectCard_tag_t::SelectCard_tag_t(tag_t* parent_tag) : Select_tag_t(parent_tag) {}

void SelectCard_tag_t::link() {
    card_list = nullptr;
    tag_complex_t::link();
    ScriptItemAdd_tag_t* adder = add_form();
    if (!adder || !card_list) return;
    adder->card_list = card_list;
    if (adder->has_add_button) {
        card_list->add_form = adder;
        card_list->set_template(adder->card_template);
    }
}

void SelectCard_tag_t::show() {
    ScriptItem_tag_t* owner = script_item();
    nested = owner && owner->nested;
    Select_tag_t::show();
    if (add_form()) prefill_add_form();
    if (item) item->add_listener(this);
}

void SelectCard_tag_t::prefill_add_form() {
    const card_t pick = current_pick();
    if (pick.add_new || pick.script_entry || nested) {
        set_if_present(u"name", {});
        set_if_present(u"id", {});
        set_if_present(u"priority", u"1");
        if (card_list) set_if_present(u"priority", decimal(card_list->count() + 1));
        return;
    }
    set_if_present(u"name", pick.id0);
    set_if_present(u"id", pick.id1);
    set_if_present(u"priority", u"1");
    if (!card_list) return;
    for (int i = 0; i < card_list->count(); ++i)
        if (card_list->same_card(i, pick)) set_if_present(u"priority", decimal(i + 1));
}

card_t SelectCard_tag_t::current_pick() const {
    if (const card_var_t* var = lookup_card(card_var_name)) return var->card;
    return card_t{};
}

void SelectCard_tag_t::choose(const card_t& card) {
    if (card_var_name.empty()) return;
    card_var_t* var = lookup_card(card_var_name);
    if (!var && current_vars) var = current_vars->get_card(card_var_name);
    if (var) var->card = card;
}

void SelectCard_tag_t::execute(int, int) {
    ScriptItem_tag_t* owner = script_item();
    if (!owner) return;
    const card_t before = current_pick();
    if (owner->form) owner->form->close();
    if (!add_form() && current_pick().add_new && card_list && card_list->add_form) {
        if (!card_list->add_form->run_to_add()) choose(before);
    }
    owner->request_rebuild();
}

Select_tag_t* Item_tag_t::select() const {
    return parent_of<Select_tag_t>(parent, tags::Select);
}

CheckBox_tag_t* Item_tag_t::checkbox() const {
    return parent_of<CheckBox_tag_t>(parent, tags::CheckBox);
}

checkbox_item_t* Item_tag_t::checkbox_item() const {
    const CheckBox_tag_t* box = checkbox();
    return box ? box->item : nullptr;
}

SelectCard_tag_t* Item_tag_t::select_card() const {
    return parent_of<SelectCard_tag_t>(parent, tags::SelectCard);
}

void Item_tag_t::link() {
    is_default = false;
    tag_complex_t::link();
}

card_t Item_tag_t::as_card() const {
    card_t card;
    card.id0 = request();
    card.id1 = body();
    card.script_entry = true;
    return card;
}

void Item_tag_t::show() {
    Select_tag_t* const choice = select();
    CheckBox_tag_t* const box = checkbox();
    SelectCard_tag_t* const cards = select_card();
    tag_complex_t::show();
    if (choice && choice->item) {
        choice->item->add_option(name(), is_default);
    } else if (box && box->item) {
        box->item->add_box(name(), checked);
    } else if (cards && cards->item) {
        // Only the fixed choice that is the current pick shows as picked; with several fixed entries
        // every one of them would otherwise claim the pick and the last would win.
        const card_t pick = cards->current_pick();
        const bool picked = pick.script_entry && !cards->nested && pick == as_card();
        cards->item->add_option(name(), is_default || picked);
        cards->item->bind_param(this);
    }
}

void Item_tag_t::replace_state_child(int32_t child_code, bool keep, const std::u16string& child_text) {
    children.erase_if([child_code](const std::unique_ptr<tag_t>& child) { return child->code == child_code; });
    if (!keep) return;
    std::unique_ptr<tag_t> child = create_child(child_code, this);
    if (!child) return;
    static_cast<tag_simple_t&>(*child).text = child_text;
    children.push_back(std::move(child));
}

void Item_tag_t::save() {
    // The state is written as one child of its kind, replacing those of earlier saves; a file holding
    // several of them still loads to the same state, as each marks the same default or the last one wins.
    if (select()) replace_state_child(tags::Default, is_default, {});
    if (checkbox()) replace_state_child(tags::DefaultValue, true, checked ? u"true" : u"false");
    tag_complex_t::save();
}

bool Item_tag_t::apply_text(const std::u16string& text) {
    if (SelectCard_tag_t* cards = select_card(); cards && text == name()) cards->choose(as_card());
    return true;
}

std::u16string Item_tag_t::value_text() {
    const SelectCard_tag_t* cards = select_card();
    return cards ? cards->current_pick().display() : std::u16string();
}

Item_tag_t* Default_tag_t::item() const {
    return parent_of<Item_tag_t>(parent, tags::Item);
}

void Default_tag_t::link() {
    if (Item_tag_t* entry = item()) entry->is_default = true;
}

// Only a selection or a card selection accepts a "Mode", and both are selections.
Mode_tag_t::Mode_tag_t(tag_t* parent_tag) : select(dynamic_cast<Select_tag_t*>(parent_tag)) {}

void Mode_tag_t::show() {
    if (!select || !select->item) return;
    int style = select_item_t::radio;
    if (text == u"POPUP") style = select_item_t::drop_down;
    if (text == u"IMPLICIT") style = select_item_t::spin;
    select->item->set_style(style);
}

Object_tag_t::Object_tag_t(tag_t* parent_tag)
    : fav_button(parent_of<ButtonFavAddDel_tag_t>(parent_tag, tags::ButtonFavAddDel)),
      fav_list_tag(parent_of<ScriptFavList_tag_t>(parent_tag, tags::ScriptFavList)),
      select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)) {}

void Object_tag_t::link() {
    if (!global_vars) return;
    if (fav_button) fav_button->favourites = global_vars->get_fav_list(text);
    if (fav_list_tag) fav_list_tag->favourites = global_vars->get_fav_list(text);
    if (select_card) select_card->card_list = global_vars->get_card_list(text);
}

void Object_tag_t::show() {
    if (select_card) show_cards();
    if (fav_list_tag) show_favourites();
}

void Object_tag_t::show_favourites() {
    if (!fav_list_tag->list_window || !fav_list_tag->favourites) return;
    const fav_list_var_t& favourites = *fav_list_tag->favourites;
    for (int i = 0; i < favourites.count(); ++i) {
        const fav_t fav = favourites.fav_at(i);
        tag_t* target = fav.item;
        if (!target && script_context.tags_by_id) {
            auto found = script_context.tags_by_id->find(fav.id);
            if (found != script_context.tags_by_id->end()) target = found->second;
        }
        fav_list_tag->list_window->add_entry(fav.name, target, {});
    }
}

void Object_tag_t::show_cards() {
    if (!global_vars) return;
    card_list_var_t* list = global_vars->get_card_list(text);
    if (list->count() == 0 && !select_card->add_form()) {
        if (list->add_form) list->add_form->run_to_add();
        if (list->count() == 0) throw tag_card_list_empty_ex_t(this);
    }
    select_item_t* item = select_card->item;
    if (!item) return;
    card_t pick = select_card->current_pick();
    bool pick_listed = false;
    for (int i = 0; i < list->count(); ++i) {
        const bool is_pick = list->same_card(i, pick);
        pick_listed = pick_listed || is_pick;
        item->add_option(list->display_at(i), is_pick && !select_card->nested);
    }
    if (!pick_listed && !pick.add_new && !pick.script_entry && list->count() > 0) {
        item->select_text(list->display_at(0));
        select_card->choose(list->card_at(0));
    }
    item->bind_param(this);
}

bool Object_tag_t::apply_text(const std::u16string& text_committed) {
    if (!select_card || !select_card->card_list) return true;
    card_list_var_t* list = select_card->card_list;
    for (int i = 0; i < list->count(); ++i)
        if (list->display_at(i) == text_committed) select_card->choose(list->card_at(i));
    return true;
}

std::u16string Object_tag_t::value_text() {
    return select_card ? select_card->current_pick().display() : std::u16string();
}

AddName_tag_t::AddName_tag_t(tag_t* parent_tag)
    : select_card(parent_of<SelectCard_tag_t>(parent_tag, tags::SelectCard)) {}

void AddName_tag_t::show() {
    if (!select_card || !select_card->item) return;
    card_t pick = select_card->current_pick();
    card_list_var_t* list = select_card->card_list;
    if (!select_card->add_form() && pick.add_new && list && list->count() > 0) {
        select_card->choose(list->card_at(0));
        select_card->item->select_text(list->display_at(0));
        pick.add_new = false;
    }
    select_card->item->add_action_option(text, pick.add_new || select_card->nested);
    select_card->item->bind_param(this);
}

bool AddName_tag_t::apply_text(const std::u16string& committed) {
    if (!select_card || committed != text) return true;
    card_t pick = select_card->current_pick();
    pick.add_new = true;
    pick.script_entry = false;
    select_card->choose(pick);
    return true;
}

std::u16string AddName_tag_t::value_text() {
    return select_card ? select_card->current_pick().display() : std::u16string();
}
