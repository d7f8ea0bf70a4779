#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <functional>

#include "screens/ppc_form.h"
#include "screens/ppc_item.h"
#include "tests/ui/script_stand_ins.h"
#include "ui/item.h"

// An item of a fixed height, to check the form's arithmetic; it can refuse its commit.
class fixed_item_t : public item_t, public ppc_item_t {
public:
    fixed_item_t(ppc_form_t* form, int h) : ppc_item_t(form), height(h) {}
    bool create(ppc_rect_t& rect) override {
        if (fail_create) return false;
        top = rect.top;
        rect.top += height;
        return true;
    }
    bool layout(ppc_rect_t& rect) override { return create(rect); }
    bool commit(std::u16string& m) override {
        ++commits;
        if (!refuse) return true;
        m = message;
        return false;
    }

    int height;
    int top = 0;
    int commits = 0;
    bool refuse = false;
    bool fail_create = false;
    std::u16string message;
};

inline ppc_device_t test_device(bool soft_keys) {
    return ppc_device_t{soft_keys, screen_size_t{320, 480}};
}

// Makes `window` the one that has the keyboard, as if the user had clicked it, whatever the window system
// does: focus then moves and is drawn the same under every platform.
inline void make_active(QWidget* window) {
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QApplication::setActiveWindow(window);
    QT_WARNING_POP
}

// Shows `form` modally and, once it is up and has the keyboard, does what the user would; the form is then
// ended with "Назад" unless the actions ended it.
inline void while_shown(form_t& form, const std::function<void()>& act) {
    QTimer::singleShot(0, [&] {
        if (auto* shown = dynamic_cast<ppc_form_t*>(&form)) make_active(shown);
        act();
        if (auto* shown = dynamic_cast<ppc_form_t*>(&form); shown && shown->is_open())
            shown->command(ppc_form_t::cancel_command);
    });
    form.show();
}

// Sends one key as the keyboard would, with its text: QTest::keyClicks cannot type non-ASCII text.
inline void type_key(QWidget* to, int key, const QString& text = {}, bool repeat = false,
                     QEvent::Type type = QEvent::KeyPress) {
    QKeyEvent event(type, key, Qt::NoModifier, text, repeat);
    QApplication::sendEvent(to, &event);
}

inline void type_text(QWidget* to, const QString& text) {
    for (QChar c : text) {
        type_key(to, 0, QString(c));
        type_key(to, 0, QString(c), false, QEvent::KeyRelease);
    }
}
