#pragma once

#include <QPointer>
#include <QString>
#include <string>
#include <vector>

#include "screens/item_automation.h"

class CMainFrame;
class QImage;
class QMenu;
class QMessageBox;
class QPushButton;
class QWidget;
class ppc_form_t;

// The screen a scenario step looks at and acts on, read in one place from the program's windows: the top
// window, and what it offers a user (a menu's entries, a message box's text and buttons, a form's items, the
// soft keys and the options menu behind the left one). Read afresh at every look: a form may be built anew
// after any key.
struct scenario_screen_t {
    enum class kind_t { nothing, menu, alert, sending, form, main_window, dialog };

    kind_t kind = kind_t::nothing;
    // The top window: a pop-up over everything, else the modal window, else the main window.
    QWidget* window = nullptr;
    // The modal window under any pop-up; null over the main window.
    QWidget* modal = nullptr;
    // Whether a pop-up (a menu, a drop-down's list) is over the modal window.
    bool popup = false;
    // kind menu: the menu on top.
    QMenu* menu = nullptr;
    // The modal message box, also under a pop-up.
    QMessageBox* alert = nullptr;
    // The modal form of the script, also under a pop-up, and its items.
    ppc_form_t* form = nullptr;
    std::vector<item_automation_t> items;
    // The modal window's title: a form's, or any other dialog's window title.
    QString title;
    // The soft keys of the top window (left, right), when it has them, and the options menu behind the left.
    QPushButton* left_key = nullptr;
    QPushButton* right_key = nullptr;
    QMenu* options = nullptr;
    // The main window, when nothing modal is over it.
    CMainFrame* main_window = nullptr;

    // The form's item under `caption`; null when there is none.
    const item_automation_t* item(const QString& caption) const;
    // What the screen is, as a failure names it: form "TITLE", message "TEXT", menu "A", "B" ...
    std::string seen() const;
    // The screen as the transcript writes it: what it is, the form's lines, the soft keys.
    std::string transcript() const;
};

// The screen as it is now over `main_window` (null: none, as in the tests of the screens alone).
scenario_screen_t look_at_screen(QWidget* main_window);

// A menu entry's text as the user reads it (an ampersand not doubled).
QString menu_entry_text(const QAction* action);
// "TEXT" in double quotes, UTF-8.
std::string quoted(const QString& text);

// What the user sees: the window, and a pop-up over it where it is.
QImage screen_picture(QWidget* window);
