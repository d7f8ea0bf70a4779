// The keys of an add form: store the card the form describes, or delete the card it was opened for.
#include <algorithm>

#include "core/text_number.h"
#include "resources/texts.h"
#include "script/button_tags.h"
#include "script/expand.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "ui/display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

// The index of the first card of the list that is `card`, or -1.
int index_of(const card_list_var_t& list, const card_t& card) {
    for (int i = 0; i < list.count(); ++i)
        if (list.same_card(i, card)) return i;
    return -1;
}

// Whether the add form is on the screen. A form without items is never shown: its confirming key is pressed
// at once, and building it again would only press the key again, for ever.
bool shown(const ScriptItemAdd_tag_t& add_form) {
    return add_form.form && add_form.form->is_open();
}

}  // namespace

void ButtonAdd_tag_t::execute(int, int) {
    if (!add_form) return;
    const bool was_shown = shown(*add_form);
    if (add_form->form) add_form->form->close();
    card_var_t* item = lookup_card(u"item");
    if (!item || !global_vars) return;
    global_vars->get_card(u"_smsISDN");
    const string_var_t* name_var = lookup_string(u"name");
    const string_var_t* id_var = lookup_string(u"id");
    const string_var_t* priority_var = lookup_string(u"priority");
    if (!name_var || !id_var || !priority_var) return;
    const int priority = leading_number(priority_var->value);

    card_t added;
    added.id0 = name_var->value;
    added.id1 = id_var->value;
    card_list_var_t* list = add_form->card_list;
    if (list) {
        const int count = list->count();
        if (!item->card.add_new && count > 0) {
            // Editing: the card keeps its third field and leaves its old place.
            const int edited = index_of(*list, item->card);
            if (edited >= 0) {
                added.id2 = list->card_at(edited).id2;
                list->remove_at(edited);
            }
        }
        const long long at = priority == 0 ? (long long)count - 1 : (long long)priority - 1;
        list->insert_at(added, at < 0 ? 0 : int(std::min<long long>(at, list->count())));
    }
    item->card = added;
    if (!add_form->adding && was_shown) add_form->request_rebuild();
}

void ButtonDel_tag_t::show() {
    if (fav_list_tag) {
        // The favourites list offers the key; deleting a favourite is the list's own business.
        button = script_context.display->create_button(nullptr, texts::button_delete, button_kind);
        button->set_action(this);
    }
    ButtonOk_tag_t::show();
}

void ButtonDel_tag_t::execute(int, int) {
    if (!add_form) return;
    const bool was_shown = shown(*add_form);
    if (add_form->form) add_form->form->close();
    const card_var_t* item = lookup_card(u"item");
    if (!item) return;
    card_list_var_t* list = add_form->card_list;
    const int found = list ? index_of(*list, item->card) : -1;
    if (found >= 0 && !request.empty()) {
        auto alert =
            script_context.display->create_alert(texts::delete_caption, expand(request, *this), alert_t::question);
        alert->show();
        if (alert->answer()) list->remove_at(found);
    }
    if (was_shown) add_form->request_rebuild();
}
