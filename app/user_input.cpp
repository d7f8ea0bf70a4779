#include "app/user_input.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

namespace {

void send_key(QWidget* control, int key, const QString& text) {
    QPointer<QWidget> alive(control);
    // A shortcut that takes the key gets it before the control, as with real keys.
    QKeyEvent override_event(QEvent::ShortcutOverride, key, Qt::NoModifier, text);
    QApplication::sendEvent(control, &override_event);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(control, &press);
    if (!alive) return;  // the key closed the control's screen
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(control, &release);
}

}  // namespace

void press_key(QWidget* control, Qt::Key key, const QString& text) {
    if (control) send_key(control, key, text);
}

void type_keys(QWidget* control, const QString& text) {
    for (const QChar c : text) {
        if (!control) return;
        const char16_t u = c.unicode();
        // Qt's key codes for printable ASCII are the upper-case characters themselves.
        const int key = u >= 0x20 && u < 0x7f ? QChar(u).toUpper().unicode() : 0;
        send_key(control, key, QString(c));
    }
}

void click(QWidget* control) {
    if (!control) return;
    QPointer<QWidget> alive(control);
    const QPointF local = QRectF(control->rect()).center();
    const QPointF global = control->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    if (!alive) return;
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &release);
}
