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
    is_favourite = script_item && favourites && favourites->find_id(script_item->id) >= 0;
    if (button) button->set_caption(is_favourite ? caption_del : caption_add);
    request = is_favourite ? request_del : request_add;
}

void ButtonFavAddDel_tag_t::execute(int, int) {
    if (!script_item) return;
    auto alert = script_context.display->create_alert(texts::confirm_caption, is_favourite ? request_del : request_add,
                                                      alert_t::question);
    alert->show();
    bool changed = false;
    if (alert->answer() && favourites) {
        if (is_favourite) {
            const int found = favourites->find_id(script_item->id);
            if (found >= 0) {
                favourites->remove_at(found);
                changed = true;
            }
        } else {
            fav_t fav;
            fav.id = script_item->id;
            fav.name = script_item->form ? script_item->form->title() : std::u16string();
            fav.item = script_item;
            favourites->append(fav);
            changed = true;
        }
    }
    alert.reset();
    if (changed) script_item->request_rebuild();
}
