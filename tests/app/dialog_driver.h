#pragma once

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

// Acts on each dialog as it is shown, in order, once its modal loop runs; a dialog nobody expected is cancelled,
// so that a test fails instead of hanging. Message boxes are answered through message_box_t's next-answer hook and
// never shown.
class dialog_driver_t : public QObject {
public:
    using step_t = std::function<void(QDialog*)>;

    dialog_driver_t() { qApp->installEventFilter(this); }
    ~dialog_driver_t() override { qApp->removeEventFilter(this); }

    dialog_driver_t& then(step_t step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    size_t pending() const { return steps_.size(); }
    // The titles of the dialogs shown, in order.
    QStringList shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() != QEvent::Show || !dialog || !dialog->isWindow()) return false;
        // A dialog is shown once per modal run, however many show events it gets.
        if (handled_.contains(dialog)) return false;
        handled_.append(dialog);
        shown << dialog->windowTitle();
        step_t step = steps_.empty() ? step_t([](QDialog* d) { d->reject(); }) : std::move(steps_.front());
        if (!steps_.empty()) steps_.pop_front();
        QPointer<QDialog> target(dialog);
        QTimer::singleShot(0, dialog, [step, target] {
            if (target) step(target);
        });
        return false;
    }

private:
    std::deque<step_t> steps_;
    QList<QPointer<QDialog>> handled_;
};

// Types `text` into an edit box and presses Enter there, as the user does.
inline void type_and_enter(QLineEdit* edit, const QString& text) {
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}
