#include "app/scenario/scenario_screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

#include "app/cancel_sms_dialog.h"
#include "app/main_frame.h"
#include "app/pin_dialogs.h"
#include "app/scenario/scenario_text.h"
#include "app/soft_key_dialog.h"
#include "resources/texts.h"
#include "screens/ppc_form.h"

namespace {

using item_kind_t = item_automation_t::kind_t;

std::string u8(const QString& text) {
    return text.toStdString();
}

// The lines of one item as the transcript writes them: its caption, then its control.
void item_lines(const item_automation_t& item, std::string& text) {
    auto line = [&](const QString& shown) { text += "   " + u8(shown) + "\n"; };
    if (!item.caption.isEmpty()) line(item.caption);
    switch (item.kind) {
        case item_kind_t::text:
            if (!item.shown.isEmpty()) line(item.shown);
            break;
        case item_kind_t::picture:
            break;
        case item_kind_t::input:
            if (item.control) line("[" + item.shown + "]");
            break;
        case item_kind_t::drop_down:
            line("[" + item.shown + " v]");
            break;
        case item_kind_t::one_line_list:
            line("< " + item.shown + " >");
            break;
        case item_kind_t::radio_buttons:
        case item_kind_t::check_boxes: {
            const bool radio = item.kind == item_kind_t::radio_buttons;
            for (QAbstractButton* button : item.buttons)
                line((button->isChecked() ? (radio ? "(*) " : "[x] ") : (radio ? "( ) " : "[ ] ")) + button->text());
            break;
        }
    }
}

}  // namespace

QString menu_entry_text(const QAction* action) {
    QString text = action->text();
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

std::string quoted(const QString& text) {
    return "\"" + u8(text) + "\"";
}

const item_automation_t* scenario_screen_t::item(const QString& caption) const {
    for (const item_automation_t& candidate : items)
        if (candidate.kind != item_kind_t::text && candidate.caption == caption) return &candidate;
    return nullptr;
}

scenario_screen_t look_at_screen(QWidget* main_window) {
    scenario_screen_t screen;
    QWidget* popup = QApplication::activePopupWidget();
    screen.modal = QApplication::activeModalWidget();
    screen.popup = popup != nullptr;
    screen.window = popup ? popup : screen.modal ? screen.modal : main_window;
    screen.alert = qobject_cast<QMessageBox*>(screen.modal);
    screen.form = qobject_cast<ppc_form_t*>(screen.modal);
    if (screen.form) screen.items = screen.form->automation();
    QWidget* window = screen.window;
    if (!window) return screen;
    screen.title = window->windowTitle();
    if ((screen.menu = qobject_cast<QMenu*>(window))) {
        screen.kind = scenario_screen_t::kind_t::menu;
    } else if (window == screen.alert) {
        screen.kind = scenario_screen_t::kind_t::alert;
    } else if (qobject_cast<cancel_sms_dialog_t*>(window)) {
        screen.kind = scenario_screen_t::kind_t::sending;
    } else if (window == screen.form) {
        screen.kind = scenario_screen_t::kind_t::form;
        screen.title = QString::fromStdU16String(screen.form->title());
        screen.left_key = screen.form->left_soft_key();
        screen.right_key = screen.form->right_soft_key();
        screen.options = screen.form->options_menu();
    } else if (auto* frame = qobject_cast<CMainFrame*>(window)) {
        screen.kind = scenario_screen_t::kind_t::main_window;
        screen.main_window = frame;
        screen.left_key = frame->exit_key();
        screen.right_key = frame->menu_key();
    } else {
        screen.kind = scenario_screen_t::kind_t::dialog;
        if (auto* dialog = qobject_cast<soft_key_dialog_t*>(window)) {
            screen.left_key = dialog->left_soft_key();
            screen.right_key = dialog->right_soft_key();
        }
        if (auto* pin = qobject_cast<old_pin_form_t*>(window)) screen.options = pin->options_menu();
    }
    return screen;
}

std::string scenario_screen_t::seen() const {
    switch (kind) {
        case kind_t::nothing:
            return scenario_text(texts::scenario_nothing);
        case kind_t::menu: {
            std::string entries;
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) entries += (entries.empty() ? "" : ", ") + quoted(menu_entry_text(action));
            return scenario_text(texts::scenario_menu, {entries});
        }
        case kind_t::alert:
            return scenario_text(texts::scenario_alert, {quoted(alert->text())});
        case kind_t::sending:
            return scenario_text(texts::scenario_sending_dialog);
        case kind_t::main_window:
            return scenario_text(texts::scenario_main_window);
        case kind_t::form:
        case kind_t::dialog:
            break;
    }
    return scenario_text(texts::scenario_form, {quoted(title)});
}

std::string scenario_screen_t::transcript() const {
    std::string text = scenario_text(texts::scenario_screen, {seen()}) + "\n";
    if (kind == kind_t::form) {
        for (const item_automation_t& shown : items) item_lines(shown, text);
    } else if (qobject_cast<soft_key_dialog_t*>(window)) {
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            const QString value =
                edit->echoMode() == QLineEdit::Normal ? edit->text() : QString(edit->text().size(), u'*');
            text += "   [" + u8(value) + "]\n";
        }
    }
    std::string keys;
    for (QPushButton* key : {left_key, right_key})
        if (key && !key->isHidden()) keys += (keys.empty() ? "" : " | ") + u8(key->text());
    if (!keys.empty()) text += "   " + scenario_text(texts::scenario_soft_keys, {keys}) + "\n";
    return text;
}

// A pop-up that reaches past the window (past the phone's screen) widens the picture, on grey, so that the
// picture shows it.
QImage screen_picture(QWidget* window) {
    QWidget* popup = window->windowType() == Qt::Popup ? window : nullptr;
    QWidget* base = window;
    if (popup) {
        base = QApplication::activeModalWidget();
        if (!base && popup->parentWidget()) base = popup->parentWidget()->window();
        if (!base || base == popup) return popup->grab().toImage();
    }
    const QRect screen(base->mapToGlobal(QPoint(0, 0)), base->size());
    const QRect over = popup ? QRect(popup->mapToGlobal(QPoint(0, 0)), popup->size()) : screen;
    const QRect all = screen.united(over);
    QImage picture(all.size(), QImage::Format_RGB32);
    picture.fill(Qt::gray);
    QPainter painter(&picture);
    painter.drawPixmap(screen.topLeft() - all.topLeft(), base->grab());
    if (popup) painter.drawPixmap(over.topLeft() - all.topLeft(), popup->grab());
    return picture;
}
