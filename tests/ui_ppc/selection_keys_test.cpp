// A card picked with the keyboard alone, on the real screens, in every kind of selection and on both kinds of
// device: the keys go to the control that has the focus, and what counts is the card on the screen and the one
// in the SMS that leaves. Stepping over "Добавить еще..." never opens the add form; choosing it does.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

#include "messaging/messaging.h"
#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "screens/select_windows.h"
#include "script/tag_codes.h"
#include "tests/support/script_fixture.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

const std::string keys_script = OSTREVAN_TEST_SCRIPTS "/keys.cfg";

class sent_sms_t : public messaging_t {
public:
    void set_text(const std::u16string& t) override { text = t; }
    void set_number(const std::u16string&) override {}
    bool send() override {
        sent.push_back(QString::fromStdU16String(text));
        return true;
    }
    void set_port(const std::u16string&) override {}
    void set_port_present(bool) override {}
    void set_suffix(const std::u16string&) override {}
    void set_version(const std::u16string&) override {}

    std::u16string text;
    QStringList sent;
};

ppc_form_t* shown_form() {
    auto* form = qobject_cast<ppc_form_t*>(QApplication::activeModalWidget());
    return form && form->isVisible() ? form : nullptr;
}

// What the card control of the form shows: the drop-down's or the line's text, or the ticked button's.
QString card_on_screen(ppc_form_t* form) {
    for (QWidget* w : form->page()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isHidden()) continue;
        if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
        if (auto* spin = qobject_cast<spin_select_control_t*>(w)) return spin->current_text();
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->isChecked()) return radio->text();
    }
    return {};
}

// The user at the keyboard: each step waits for the screen it needs, then presses keys on whatever has the
// focus. The steps run from the event loop while the forms are up; a form built anew between two steps is
// the one the next step finds.
class keyboard_user_t {
public:
    using step_t = std::function<bool()>;  // true once done

    void add(step_t step) { steps_.push_back(std::move(step)); }

    // Keys on a form that is up with nothing over it, each once the form is up again: a pick on a card
    // selection builds the form anew.
    void keys(const std::vector<int>& keys) {
        for (int key : keys)
            add([key] {
                ppc_form_t* form = shown_form();
                if (!form || QApplication::activePopupWidget()) return false;
                make_active(form);
                press(key);
                return true;
            });
    }
    // Keys inside an open pop-up (a drop-down's list, a menu).
    void popup_keys(const std::vector<int>& keys) {
        for (int key : keys)
            add([key] {
                if (!QApplication::activePopupWidget()) return false;
                press(key);
                return true;
            });
    }

    static void press(int key) {
        QWidget* to = QApplication::focusWidget();
        if (QWidget* popup = QApplication::activePopupWidget(); popup && !popup->isAncestorOf(to)) to = popup;
        if (!to) return;
        QTest::keyClick(to, static_cast<Qt::Key>(key));
    }

    // Runs the steps while `run` shows the forms. A step that never finds its screen gives up after a while:
    // every screen is backed out of, and the test sees the steps left.
    void drive(const std::function<void()>& run) {
        // The timer only queues each look, so that it is free to fire again inside a modal loop a step opens
        // (a menu, the add form); the looks are tied to `context` and end with it.
        QObject context;
        QTimer timer;
        timer.setInterval(0);
        int idle = 0;
        QObject::connect(&timer, &QTimer::timeout, &context, [&] {
            QMetaObject::invokeMethod(
                &context, [&] { look(idle); }, Qt::QueuedConnection);
        });
        timer.start();
        run();
        timer.stop();
    }

    void look(int& idle) {
        // The step is taken off before it runs: the looks inside a modal loop it opens go on with the next one.
        if (!steps_.empty()) {
            step_t step = std::move(steps_.front());
            steps_.pop_front();
            if (step()) {
                idle = 0;
                return;
            }
            steps_.push_front(std::move(step));
        }
        if (++idle < 3000) return;
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->reject();
        }
    }

    bool finished() const { return steps_.empty(); }
    size_t left() const { return steps_.size(); }

private:
    std::deque<step_t> steps_;
};

struct fixture_t {
    explicit fixture_t(bool soft_keys)
        : display(test_device(soft_keys), nullptr), script(keys_script, &display, &sms) {}
    ~fixture_t() {
        message_box_t::clear_next_answers();
        message_box_t::clear_record();
    }

    ScriptItem_tag_t& item(const std::u16string& id) {
        for (tag_t* tag : script.all(tags::ScriptItem))
            if (auto* item = static_cast<ScriptItem_tag_t*>(tag); item->id() == id) return *item;
        throw std::logic_error("no such item");
    }

    sent_sms_t sms;
    ppc_display_t display;
    script_fixture_t script;
};

// The payment is sent from the options menu, which opens with its first entry current.
void send_from_options(keyboard_user_t& user) {
    user.keys({Qt::Key_F1});
    user.add([] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return false;
        message_box_t::set_next_answer(QMessageBox::Yes);
        message_box_t::set_next_answer(QMessageBox::Ok);
        keyboard_user_t::press(Qt::Key_Return);
        return true;
    });
}

}  // namespace

class selection_keys_test : public QObject {
    Q_OBJECT

private slots:
    void a_card_is_changed_from_the_keyboard_in_every_kind_of_selection() {
        struct case_t {
            const char* name;
            const char16_t* item;
            bool soft_keys;
            std::vector<int> keys;     // on the form
            std::vector<int> in_list;  // then in the list they opened
        };
        // From the first card to the second, passing over "Добавить еще..." (the last entry) on the way.
        const case_t cases[] = {
            {"keypad, drop-down",
             u"drop",
             true,
             {Qt::Key_Return},
             {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Return}},
            {"touch, drop-down",
             u"drop",
             false,
             {Qt::Key_Down},
             {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Return}},
            {"keypad, drop-down opened with Right",
             u"drop",
             true,
             {Qt::Key_Right},
             {Qt::Key_End, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return}},
            {"keypad, one-line list", u"spin", true, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left}, {}},
            {"touch, one-line list", u"spin", false, {Qt::Key_Left, Qt::Key_Left, Qt::Key_Left}, {}},
            {"keypad, radio style as a one-line list",
             u"radio",
             true,
             {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right},
             {}},
            {"touch, radio buttons",
             u"radio",
             false,
             {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Return},
             {}},
        };
        for (const auto& c : cases) {
            fixture_t f(c.soft_keys);
            keyboard_user_t user;
            int forms_seen = 0;
            ppc_form_t* payment = nullptr;
            user.add([&] {
                payment = shown_form();
                return payment != nullptr;
            });
            user.keys(c.keys);
            if (!c.in_list.empty()) user.popup_keys(c.in_list);
            QString on_screen;
            user.add([&] {
                ppc_form_t* form = shown_form();
                if (!form || QApplication::activePopupWidget()) return false;
                if (form != payment) ++forms_seen;  // the add form
                on_screen = card_on_screen(form);
                return card_on_screen(form) == "Кредитная - 2222";
            });
            send_from_options(user);
            user.drive([&] { f.item(c.item).show(); });
            QVERIFY2(user.finished(),
                     qPrintable(
                         QString("%1: %2 steps left, the card shows %3").arg(c.name).arg(user.left()).arg(on_screen)));
            QVERIFY2(forms_seen == 0, c.name);
            QCOMPARE(on_screen, QString("Кредитная - 2222"));
            QVERIFY2(f.sms.sent.size() == 1, c.name);
            QVERIFY2(f.sms.sent[0].startsWith("PAY 2222"), qPrintable(f.sms.sent[0]));
        }
    }

    void choosing_add_another_opens_the_add_form() {
        struct case_t {
            const char* name;
            const char16_t* item;
            bool soft_keys;
            std::vector<int> keys;
            std::vector<int> in_list;
        };
        const case_t cases[] = {
            {"keypad, drop-down", u"drop", true, {Qt::Key_Return}, {Qt::Key_End, Qt::Key_Return}},
            {"touch, drop-down", u"drop", false, {Qt::Key_End}, {Qt::Key_End, Qt::Key_Return}},
            {"keypad, one-line list", u"spin", true, {Qt::Key_Left, Qt::Key_Return}, {}},
            {"touch, radio buttons", u"radio", false, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, {}},
        };
        for (const auto& c : cases) {
            fixture_t f(c.soft_keys);
            keyboard_user_t user;
            ppc_form_t* payment = nullptr;
            bool add_form_shown = false;
            user.add([&] {
                payment = shown_form();
                return payment != nullptr;
            });
            user.keys(c.keys);
            if (!c.in_list.empty()) user.popup_keys(c.in_list);
            user.add([&] {
                ppc_form_t* form = shown_form();
                if (!form || form == payment) return false;
                add_form_shown = true;
                form->command(ppc_form_t::cancel_command);
                return true;
            });
            // Back from the add form: the payment form again, on the card it had.
            user.add([&] {
                ppc_form_t* form = shown_form();
                if (form != payment) return false;
                form->command(ppc_form_t::cancel_command);
                return true;
            });
            user.drive([&] { f.item(c.item).show(); });
            QVERIFY2(user.finished(), c.name);
            QVERIFY2(add_form_shown, c.name);
            QVERIFY2(f.sms.sent.isEmpty(), c.name);
        }
    }

    void cards_of_a_list_without_a_template_show_and_go_out_as_themselves() {
        for (bool soft_keys : {true, false}) {
            fixture_t f(soft_keys);
            keyboard_user_t user;
            QString first_shown;
            user.add([&] {
                ppc_form_t* form = shown_form();
                if (!form) return false;
                first_shown = card_on_screen(form);
                return true;
            });
            user.keys({Qt::Key_Return});
            user.popup_keys({Qt::Key_Down, Qt::Key_Return});
            user.add([&] {
                ppc_form_t* form = shown_form();
                return form && !QApplication::activePopupWidget() && card_on_screen(form) == "Вторая-5555";
            });
            send_from_options(user);
            user.drive([&] { f.item(u"bare").show(); });
            QVERIFY(user.finished());
            QCOMPARE(first_shown, QString("Первая-4444"));
            QCOMPARE(f.sms.sent.size(), 1);
            QVERIFY2(f.sms.sent[0].startsWith("PAY 5555"), qPrintable(f.sms.sent[0]));
        }
    }
};

QTEST_MAIN(selection_keys_test)
#include "selection_keys_test.moc"
