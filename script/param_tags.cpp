#include "script/param_tags.h"

#include <array>

#include "resources/texts.h"
#include "script/factory.h"
#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/parent_of.h"
#include "script/select_tags.h"
#include "script/tag_codes.h"
#include "ui/item.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

// The bank options an input may carry.
constexpr char16_t remove_point_option[] = u"QuillantoraRemovePoint";
constexpr char16_t change_date_option[] = u"QuillantoraChangeDate";
constexpr char16_t plus_sign_option[] = u"AddPlusSignBegin";
constexpr char16_t zero_fill_option[] = u"zerofillbefore";

// Whether an amount is zero, however it is written: "0", "00.0", ".00", "0,00", with a sign or spaces around.
// A text that is not a number at all is not a zero amount.
bool is_zero_amount(const std::u16string& text) {
    size_t i = 0, end = text.size();
    while (i < end && text[i] == u' ') ++i;
    while (end > i && text[end - 1] == u' ') --end;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) ++i;
    bool digit = false, point = false;
    for (; i < end; ++i) {
        if (text[i] == u'0') {
            digit = true;
        } else if ((text[i] == u'.' || text[i] == u',') && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// The entries of a selection, in order.
template <class F>
void for_each_entry(Select_tag_t& select, F f) {
    for (auto& child : select.children)
        if (child->code == tags::Item) f(static_cast<Item_tag_t&>(*child));
}

}  // namespace

Select_tag_t* Parameter_tag_t::select() const {
    return parent_of<Select_tag_t>(parent, tags::Select);
}

SelectCard_tag_t* Parameter_tag_t::select_card() const {
    return parent_of<SelectCard_tag_t>(parent, tags::SelectCard);
}

Input_tag_t* Parameter_tag_t::input() const {
    return parent_of<Input_tag_t>(parent, tags::Input);
}

Item_tag_t* Parameter_tag_t::item() const {
    return parent_of<Item_tag_t>(parent, tags::Item);
}

var_registry_t& Parameter_tag_t::registry() {
    if (!scope) scope = current_vars;
    return *scope;
}

void Parameter_tag_t::link() {
    scope = current_vars;
    bind_in_scope();
}

void Parameter_tag_t::bind_in_scope() {
    if (!scope) return;
    if (Input_tag_t* in = input()) {
        string_var_t* var = scope->get_string(text);
        if (var->value.empty()) var->value = in->default_value;
    } else if (SelectCard_tag_t* cards = select_card()) {
        scope->get_card(text);
        cards->card_var_name = text;
        if (ScriptItem_tag_t* script_item = cards->script_item()) script_item->card_var_name = text;
    } else if (Item_tag_t* box = item()) {
        const bool existed = scope->lookup(text) != nullptr;
        bool_var_t* var = scope->get_bool(text);
        if (!existed) var->value = box->checked;
        box->checked = var->value;
    }
}

Save_tag_t::Save_tag_t(tag_t* parent_tag) : Parameter_tag_t(parent_tag) {}

void Save_tag_t::link() {
    scope = global_vars;
    bind_in_scope();
    // Outside a script item's scope the sibling already works on the global variables.
    if (!scope || !current_vars || current_vars == global_vars || !parent || !parent->is_complex()) return;
    auto* siblings = static_cast<tag_complex_t*>(parent);
    for (auto& sibling : siblings->children) {
        if (sibling->code != tags::Parameter) continue;
        var_t* global = global_vars->find(text);
        current_vars->bind(static_cast<Parameter_tag_t&>(*sibling).text, global);
        break;
    }
}

void Parameter_tag_t::show() {
    if (Select_tag_t* choice = select()) {
        const string_var_t* var = registry().get_string(text);
        if (!var->value.empty()) choice->default_text = var->value;
        if (choice->item) choice->item->bind_param(this);
    } else if (SelectCard_tag_t* cards = select_card()) {
        if (cards->item) cards->item->bind_param(this);
    } else if (Input_tag_t* in = input()) {
        if (in->item) in->item->set_param(this);
    } else if (Item_tag_t* box = item()) {
        if (checkbox_item_t* boxes = box->checkbox_item()) boxes->add_param(this);
    }
}

bool Parameter_tag_t::apply_text(const std::u16string& committed) {
    if (Select_tag_t* choice = select()) {
        string_var_t* var = registry().get_string(text);
        for_each_entry(*choice, [&](Item_tag_t& entry) {
            if (entry.name() != committed) return;
            var->value = entry.value();
            var->display = entry.name();
        });
        return true;
    }
    if (input()) return apply_input_text(committed);
    if (SelectCard_tag_t* cards = select_card()) {
        card_var_t* var = registry().get_card(text);
        card_list_var_t* list = cards->card_list;
        const int index = list ? list->find_display(committed) : -1;
        if (index >= 0) {
            var->card = list->card_at(index);
        } else if (committed == texts::add_another) {
            var->card.add_new = true;
        } else if (committed == texts::all_cards) {
            var->card.script_entry = true;
        }
        return true;
    }
    if (Item_tag_t* box = item()) {
        const bool ticked = committed == u"true";
        registry().get_bool(text)->value = ticked;
        box->checked = ticked;
    }
    return true;
}

bool Parameter_tag_t::apply_input_text(const std::u16string& committed) {
    const Input_tag_t& in = *input();
    string_var_t* var = registry().get_string(text);
    var->value = committed;
    const bool in_minor_units = has_bank_option(in, remove_point_option);
    // A payment of nothing is refused however the amount is written and however the bank wants it sent.
    const bool accepted_amount = !(in.type_index == input_item_t::currency && is_zero_amount(committed));
    if (in_minor_units) var->remove_point = true;
    if (has_bank_option(in, change_date_option)) var->change_date = true;
    if (has_bank_option(in, plus_sign_option) && !var->value.empty() && var->value.front() != u'+') {
        var->value.insert(0, 1, u'+');
    }
    if (has_bank_option(in, zero_fill_option)) {
        var->zero_fill = true;
        var->zero_fill_width = in.item ? in.item->max_length() : 0;
    }
    return accepted_amount;
}

std::u16string Parameter_tag_t::value_text() {
    if (Select_tag_t* choice = select()) {
        const string_var_t* var = registry().get_string(text);
        std::u16string shown;
        bool found = false;
        for_each_entry(*choice, [&](Item_tag_t& entry) {
            if (found || entry.value() != var->value) return;
            shown = entry.name();
            found = true;
        });
        return shown;
    }
    if (const Input_tag_t* in = input()) {
        // The "+" the option put in front is the option's, not the user's: shown back in the field it would
        // push the last digit past the field's length, and the number would go out cut short.
        const std::u16string& value = registry().get_string(text)->value;
        if (has_bank_option(*in, plus_sign_option) && !value.empty() && value.front() == u'+') return value.substr(1);
        return value;
    }
    if (item()) {
        const var_t* var = registry().lookup(text);
        return var && var->type == bool_var_t::type_code && static_cast<const bool_var_t*>(var)->value ? u"true"
                                                                                                       : u"false";
    }
    return {};
}

void BankSpecified_tag_t::link() {
    if (parent) set_bank_option(*parent, text, attributes());
}
