// The key that adds the script item to the favourites or removes it from them.
#include "resources/texts.h"
#include "script/button_tags.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "ui/display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

void ButtonFavAddDel_tag_t::link() {
    caption_add = texts::fav_add_caption;
    caption_del = texts::fav_remove_caption;
    favourites = nullptr;
    tag_complex_t::link();
}

void ButtonFavAddDel_tag_t::show() {
    if (global_vars && !global_vars->get_bool_or(u"IsFavButton", true)->value) return;
    ButtonOk_tag_t::show();
    const ScriptItem_tag_t* owner = script_item();
    is_favourite = owner && favourites && favourites->find_id(owner->id()) >= 0;
    if (button) button->set_caption(is_favourite ? caption_del : caption_add);
    request = is_favourite ? request_del : request_add;
}

void ButtonFavAddDel_tag_t::execute(int, int) {
    ScriptItem_tag_t* owner = script_item();
    if (!owner) return;
    // A script that asks nothing still gets a question: an empty box would leave the user guessing.
    std::u16string question = is_favourite ? request_del : request_add;
    if (question.empty()) question = is_favourite ? texts::fav_remove_question : texts::fav_add_question;
    auto alert = script_context.display->create_alert(texts::confirm_caption, question, alert_t::question);
    alert->show();
    bool changed = false;
    if (alert->answer() && favourites) {
        if (is_favourite) {
            const int found = favourites->find_id(owner->id());
            if (found >= 0) {
                favourites->remove_at(found);
                changed = true;
            }
        } else {
            fav_t fav;
            fav.id = owner->id();
            fav.name = owner->form ? owner->form->title() : std::u16string();
            fav.item = owner;
            favourites->append(fav);
            changed = true;
        }
    }
    alert.reset();
    if (changed) owner->request_rebuild();
}
