#include "screens/ppc_list.h"

#include <QMenu>
#include <algorithm>

#include "resources/texts.h"
#include "screens/ppc_display.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tag_codes.h"
#include "vars/fav_list_var.h"

ppc_list_t::ppc_list_t(ppc_display_t& display) : display_(display), menu_(display.current_menu()) {
    if (!menu_) return;
    // What an entry takes besides its text, measured on an entry that opens a sub-menu, the widest kind, and
    // with a text longer than the narrowest a menu is made.
    QMenu probe;
    probe.setFont(menu_->font());
    const QString text(40, u'x');
    probe.addMenu(text);
    const int chrome = probe.sizeHint().width() - probe.fontMetrics().horizontalAdvance(text);
    text_width_ = std::max(1, display.device().screen.width - chrome);
}

QString ppc_list_t::label(const std::u16string& text) const {
    // Menus stay inside the screen: a text too long for it is shortened in the middle with "…", keeping its
    // end (the digits of a card, say) in view. The script's texts are
    // shown as they are: "&" would otherwise mark a shortcut letter, and a tab start a shortcut column.
    QString shown = QString::fromStdU16String(text);
    shown.replace(u'\t', u' ');
    shown = menu_->fontMetrics().elidedText(shown, Qt::ElideMiddle, text_width_);
    return shown.replace(u'&', QStringLiteral("&&"));
}

void ppc_list_t::add_entry(const std::u16string& text, tag_t* tag, const std::u16string&) {
    // Without a menu to fill, or a tag to run, there is nothing to offer.
    if (!menu_ || !tag) return;
    switch (tag->code) {
        case tags::ScriptList: {
            // The sub-list the tag makes captures the new sub-menu; this list keeps its own, so later entries
            // still land here.
            QMenu* sub = menu_->addMenu(label(text));
            display_.set_current_menu(sub);
            tag->show();
            break;
        }
        case tags::ScriptFavList:
            add_favourites(label(text), tag);
            break;
        default:
            add_command(menu_, label(text), tag);
    }
}

void ppc_list_t::add_command(QMenu* menu, const QString& text, tag_t* tag) {
    QAction* entry = menu->addAction(text);
    // The main window routes only so many commands; an entry past them could never run, so it shows as
    // unavailable instead of doing nothing when chosen.
    if (display_.last_registered() >= ppc_display_t::last_command) {
        entry->setEnabled(false);
        return;
    }
    entry->setData(display_.register_command({}, tag));
}

void ppc_list_t::add_favourites(const QString& text, tag_t* tag) {
    auto* fav_list = dynamic_cast<ScriptFavList_tag_t*>(tag);
    if (!fav_list) return;
    QMenu* sub = menu_->addMenu(text);
    // A favourite whose script item is gone from the script gets no entry.
    const tags_by_id_t* items = script_context.tags_by_id;
    if (fav_list->favourites && items)
        for (int i = 0; i < fav_list->favourites->count(); ++i) {
            const fav_t fav = fav_list->favourites->fav_at(i);
            auto found = items->find(fav.id);
            if (found != items->end() && found->second) add_command(sub, label(fav.name), found->second);
        }
    // A sub-menu with nothing to choose still says so, also when every favourite's item is gone.
    if (sub->isEmpty()) {
        QAction* empty = sub->addAction(QString::fromStdU16String(texts::menu_empty));
        empty->setData(empty_entry);
        empty->setEnabled(false);
    }
}
