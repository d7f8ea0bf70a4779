#pragma once

#include <QPointer>
#include <string>

#include "ui/list.h"

class QMenu;
class ppc_display_t;

// A menu tag's list on the device: not a window of its own but entries of the main window's menu. Each entry
// carries its command identifier in QAction::data(); the shell hands a chosen one to the display's
// dispatch_command. The tag's own show and pick therefore finish at once with nothing picked.
class ppc_list_t : public list_t {
public:
    // The identifier of the favourites sub-menu's "Пусто" entry, which is never enabled.
    static constexpr int empty_entry = 105;

    // The entries go into the display's current menu as it is now.
    explicit ppc_list_t(ppc_display_t& display);

    void show() override {}
    void close() override {}
    bool is_open() override { return false; }
    // A ScriptList becomes a sub-menu built at once by showing it, a ScriptFavList the sub-menu of its
    // favourites, any other tag a command.
    void add_entry(const std::u16string& text, tag_t* tag, const std::u16string& note) override;
    int selected() override { return -1; }

private:
    // The text of an entry as its menu shows it.
    QString label(const std::u16string& text) const;
    void add_command(QMenu* menu, const QString& text, tag_t* tag);
    void add_favourites(const QString& text, tag_t* tag);

    ppc_display_t& display_;
    QPointer<QMenu> menu_;
    // The widest text an entry may show.
    int text_width_ = 1;
};
