// A keyboard user on a form with every kind of control: the arrows, the soft keys, Escape and Enter, with
// the focus in each kind, sent to the control that has the focus.

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include "screens/ppc_button.h"
#include "screens/ppc_checkbox_item.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_select_item.h"
#include "screens/ppc_string_item.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

enum class kind_t { text, input, drop_down, spin, radio, check };

const char* name_of(kind_t kind) {
    switch (kind) {
        case kind_t::text:
            return "static text";
        case kind_t::input:
            return "input";
        case kind_t::drop_down:
            return "drop-down";
        case kind_t::spin:
            return "one-line list";
        case kind_t::radio:
            return "radio buttons";
        case kind_t::check:
            return "check boxes";
    }
    return "";
}

// A form with one item of every kind, in that order; radio buttons only where the device has them (a keypad
// phone shows every styled selection as the one-line list). One plain command in the options menu.
struct every_kind_t {
    explicit every_kind_t(bool soft_keys) : form(test_device(soft_keys), nullptr, u"Форма") {
        auto t = std::make_unique<ppc_string_item_t>(&form, u"Справка по переводу");
        t->set_click_handler(&clicked);
        text = t.get();
        form.add_item(std::move(t));

        auto i = std::make_unique<ppc_input_item_t>(&form, u"Сумма");
        i->set_type(input_item_t::numeric, 0);
        amount.value = u"12";
        i->set_param(&amount);
        input = i.get();
        form.add_item(std::move(i));

        drop_down = add_select(-1, u"Карта");  // no style: a drop-down list on every device
        spin = add_select(select_item_t::spin, u"Валюта");
        if (!soft_keys) radio = add_select(select_item_t::radio, u"Счёт");

        auto c = std::make_unique<ppc_checkbox_item_t>(&form, u"Уведомить");
        c->add_box(u"По СМС", true);
        c->add_box(u"По почте", false);
        check = c.get();
        form.add_item(std::move(c));

        help.set_action(&helped);
        form.add_button(&help);
    }

    ppc_select_item_t* add_select(int style, const std::u16string& caption) {
        auto s = std::make_unique<ppc_select_item_t>(&form, caption);
        if (style >= 0) s->set_style(style);
        for (auto* option : {u"Первый", u"Второй", u"Третий"}) s->add_option(option, false);
        auto* made = s.get();
        form.add_item(std::move(s));
        return made;
    }

    // The control that takes the focus for an item of that kind.
    QWidget* control(kind_t kind) const {
        switch (kind) {
            case kind_t::text:
                return text->control();
            case kind_t::input:
                return input->control();
            case kind_t::drop_down:
                return static_cast<popup_select_wnd_t*>(drop_down->window())->control();
            case kind_t::spin:
                return static_cast<spin_select_wnd_t*>(spin->window())->control();
            case kind_t::radio:
                return static_cast<exclusive_select_wnd_t*>(radio->window())->radios()[0];
            case kind_t::check:
                return check->controls()[0];
        }
        return nullptr;
    }

    std::vector<kind_t> kinds() const {
        if (radio) return {kind_t::text, kind_t::input, kind_t::drop_down, kind_t::spin, kind_t::radio, kind_t::check};
        return {kind_t::text, kind_t::input, kind_t::drop_down, kind_t::spin, kind_t::check};
    }

    ppc_form_t form;
    test_action_t clicked, helped;
    test_param_t amount;
    ppc_button_t help{u"Справка", button_t::plain};
    ppc_string_item_t* text = nullptr;
    ppc_input_item_t* input = nullptr;
    ppc_select_item_t *drop_down = nullptr, *spin = nullptr, *radio = nullptr;
    ppc_checkbox_item_t* check = nullptr;
};

// Sends a key to whatever has the focus now, as the keyboard does.
void press(int key) {
    QWidget* to = QApplication::focusWidget();
    QVERIFY(to);
    QTest::keyClick(to, static_cast<Qt::Key>(key));
}

}  // namespace

class keyboard_test : public QObject {
    Q_OBJECT

private slots:
    void up_and_down_step_through_every_kind_on_a_keypad() {
        every_kind_t f(true);
        while_shown(f.form, [&] {
            const auto kinds = f.kinds();
            f.control(kinds.front())->setFocus();
            // Down through every control, the second check box included, and Up back again.
            std::vector<QWidget*> order;
            for (kind_t kind : kinds) order.push_back(f.control(kind));
            order.push_back(f.check->controls()[1]);
            for (std::size_t i = 1; i < order.size(); ++i) {
                press(Qt::Key_Down);
                QVERIFY2(QApplication::focusWidget() == order[i], name_of(kinds[std::min(i, kinds.size() - 1)]));
            }
            for (std::size_t i = order.size() - 1; i > 0; --i) {
                press(Qt::Key_Up);
                QVERIFY2(QApplication::focusWidget() == order[i - 1], name_of(kinds[i - 1]));
            }
            // Passing over the selections never changed their picks.
            QCOMPARE(f.drop_down->selected(), 0);
            QCOMPARE(f.spin->selected(), 0);
            QCOMPARE(f.input->control()->text(), QString("12"));
        });
    }

    void left_and_right_act_inside_the_focused_item() {
        for (bool soft_keys : {true, false}) {
            every_kind_t f(soft_keys);
            while_shown(f.form, [&] {
                for (kind_t kind : f.kinds()) {
                    QWidget* control = f.control(kind);
                    control->setFocus();
                    f.input->control()->setCursorPosition(0);
                    const int drop_pick = f.drop_down->selected();
                    auto* combo = static_cast<QComboBox*>(f.control(kind_t::drop_down));
                    // On a drop-down the arrows open its list, which Escape closes with the pick unchanged.
                    auto press_and_close = [&](int key) {
                        press(key);
                        if (kind != kind_t::drop_down) return;
                        QVERIFY(combo->view()->isVisible());
                        press(Qt::Key_Escape);
                        QVERIFY(!combo->view()->isVisible());
                    };
                    press_and_close(Qt::Key_Right);
                    const char* name = name_of(kind);
                    // Left and Right never leave an item: they move inside its control, or from one check box
                    // to the next of the same item.
                    QWidget* next = kind == kind_t::check ? f.check->controls()[1].data() : control;
                    QVERIFY2(QApplication::focusWidget() == next, name);
                    if (kind == kind_t::input) QVERIFY2(f.input->control()->cursorPosition() == 1, name);
                    if (kind == kind_t::spin) QVERIFY2(f.spin->selected() == 1, name);
                    QVERIFY2(f.drop_down->selected() == drop_pick, name);
                    press_and_close(Qt::Key_Left);
                    QVERIFY2(QApplication::focusWidget() == control, name);
                    if (kind == kind_t::input) QVERIFY2(f.input->control()->cursorPosition() == 0, name);
                    if (kind == kind_t::spin) QVERIFY2(f.spin->selected() == 0, name);
                }
            });
        }
    }

    void soft_keys_escape_and_enter_with_the_focus_in_each_kind() {
        // What each key does: open the options menu, end the form, or (Enter on a static text) run its action.
        enum outcome_t { options, ends, action, nothing, list };
        struct case_t {
            int key;
            outcome_t keypad;
            outcome_t touch;
        };
        const case_t cases[] = {
            {Qt::Key_F1, options, options},
            {Qt::Key_F2, ends, ends},
            {Qt::Key_Escape, ends, ends},
            {Qt::Key_Return, options, nothing},
        };
        for (bool soft_keys : {true, false}) {
            for (const auto& c : cases) {
                every_kind_t probe(soft_keys);
                for (kind_t kind : probe.kinds()) {
                    every_kind_t f(soft_keys);
                    outcome_t expected = soft_keys ? c.keypad : c.touch;
                    if (c.key == Qt::Key_Return && kind == kind_t::text) expected = action;
                    // Enter on a drop-down opens its list, on every device.
                    if (c.key == Qt::Key_Return && kind == kind_t::drop_down) expected = list;
                    const QString name = QString("%1, %2, key %3")
                                             .arg(soft_keys ? "keypad" : "touch", name_of(kind))
                                             .arg(QKeySequence(c.key).toString());
                    bool menu_opened = false;
                    bool first_current = false;
                    bool list_opened = false;
                    bool ended = false;
                    while_shown(f.form, [&] {
                        f.control(kind)->setFocus();
                        // Escape in an input goes back only with nothing before the caret.
                        f.input->control()->setCursorPosition(0);
                        QTimer close_menu;
                        close_menu.setSingleShot(true);
                        connect(&close_menu, &QTimer::timeout, [&] {
                            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                                menu_opened = true;
                                // Opened from the keys, the menu has its first entry current: Enter chooses it.
                                first_current = menu->activeAction() == menu->actions().value(0);
                                menu->close();
                            }
                        });
                        close_menu.start(0);
                        press(c.key);
                        ended = !f.form.is_open();
                        auto* combo = static_cast<QComboBox*>(f.control(kind_t::drop_down));
                        list_opened = combo->view()->isVisible();
                        if (list_opened) combo->hidePopup();
                    });
                    QVERIFY2(list_opened == (expected == list), qPrintable(name));
                    QVERIFY2(menu_opened == (expected == options), qPrintable(name));
                    QVERIFY2(first_current == menu_opened, qPrintable(name));
                    QVERIFY2(ended == (expected == ends), qPrintable(name));
                    QVERIFY2(f.clicked.runs == (expected == action ? 1 : 0), qPrintable(name));
                    QVERIFY2(f.input->control()->text() == "12", qPrintable(name));
                    QCOMPARE(f.helped.runs, 0);
                }
            }
        }
    }

    void escape_in_an_input_deletes_before_the_caret_and_goes_back_at_its_start() {
        struct case_t {
            const char* name;
            int caret;
            int selection;  // characters selected after the caret
            QString after;
            bool ends;
        };
        const case_t cases[] = {
            {"caret at the end", 3, 0, "Ян", false},
            {"caret in the middle", 1, 0, "на", false},
            {"selection", 0, 2, "а", false},
            {"caret at the start", 0, 0, "Яна", true},
        };
        for (const auto& c : cases) {
            ppc_form_t form(test_device(true), nullptr, u"");
            auto input = std::make_unique<ppc_input_item_t>(&form, u"Имя");
            test_param_t name;
            name.value = u"Яна";
            input->set_param(&name);
            auto* in = input.get();
            form.add_item(std::move(input));
            bool ended = false;
            while_shown(form, [&] {
                in->control()->setFocus();
                if (c.selection > 0)
                    in->control()->setSelection(c.caret, c.selection);
                else
                    in->control()->setCursorPosition(c.caret);
                press(Qt::Key_Escape);
                ended = !form.is_open();
                if (!ended) QVERIFY2(in->control()->text() == c.after, c.name);
            });
            QVERIFY2(ended == c.ends, c.name);
        }
    }

    void a_held_back_key_erases_the_field_and_stays_on_the_form() {
        for (bool soft_keys : {true, false}) {
            every_kind_t f(soft_keys);
            bool ended_by_holding = true;
            bool ended_by_fresh_press = false;
            while_shown(f.form, [&] {
                QLineEdit* edit = f.input->control();
                edit->setFocus();
                edit->setCursorPosition(2);
                // The key held down: one press, then the repeats of the keyboard, far more than the text has.
                type_key(QApplication::focusWidget(), Qt::Key_Escape);
                for (int i = 0; i < 6; ++i) type_key(QApplication::focusWidget(), Qt::Key_Escape, {}, true);
                ended_by_holding = !f.form.is_open();
                QCOMPARE(edit->text(), QString());
                // So it is with the focus elsewhere: the held key never leaves the form.
                f.control(kind_t::drop_down)->setFocus();
                type_key(QApplication::focusWidget(), Qt::Key_Escape, {}, true);
                ended_by_holding = ended_by_holding || !f.form.is_open();
                edit->setFocus();
                press(Qt::Key_Escape);
                ended_by_fresh_press = !f.form.is_open();
            });
            QVERIFY(!ended_by_holding);
            QVERIFY(ended_by_fresh_press);
        }
    }

    void every_control_and_soft_key_has_a_name_for_screen_readers() {
        for (bool soft_keys : {true, false}) {
            every_kind_t f(soft_keys);
            while_shown(f.form, [&] {
                auto name = [](QObject* o) {
                    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(o);
                    return face ? face->text(QAccessible::Name) : QString("(none)");
                };
                auto description = [](QObject* o) {
                    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(o);
                    return face ? face->text(QAccessible::Description) : QString("(none)");
                };
                QCOMPARE(name(f.control(kind_t::text)), QString("[-]Справка по переводу"));
                QCOMPARE(name(f.control(kind_t::input)), QString("Сумма"));
                // A drop-down's name is its pick, as the platform's readers expect; its caption labels it.
                QCOMPARE(name(f.control(kind_t::drop_down)), QString("Первый"));
                QCOMPARE(description(f.control(kind_t::drop_down)), QString("Карта"));
                const auto labels =
                    QAccessible::queryAccessibleInterface(f.control(kind_t::drop_down))->relations(QAccessible::Label);
                QCOMPARE(labels.size(), 1);
                QCOMPARE(labels.front().first->text(QAccessible::Name), QString("Карта"));
                QCOMPARE(name(f.control(kind_t::spin)), QString("Валюта"));
                if (f.radio) {
                    QCOMPARE(name(f.control(kind_t::radio)), QString("Первый"));
                    QCOMPARE(description(f.control(kind_t::radio)), QString("Счёт"));
                }
                QCOMPARE(name(f.control(kind_t::check)), QString("По СМС"));
                QCOMPARE(description(f.control(kind_t::check)), QString("Уведомить"));
                QCOMPARE(name(f.form.left_soft_key()), QString("Опции"));
                QCOMPARE(name(f.form.right_soft_key()), QString("Назад"));
            });
        }
    }

    void the_one_line_list_shows_that_it_has_the_focus() {
        for (bool soft_keys : {true, false}) {
            every_kind_t f(soft_keys);
            while_shown(f.form, [&] {
                auto* spin = static_cast<spin_select_wnd_t*>(f.spin->window())->control();
                f.input->control()->setFocus();
                const QImage without = spin->grab().toImage();
                spin->setFocus();
                QCOMPARE(QApplication::focusWidget(), spin);
                const QImage with = spin->grab().toImage();
                // The option's line is drawn in the highlight colour while the list has the focus.
                const QColor highlight = spin->palette().color(QPalette::Highlight);
                const QPoint middle(spin->width() / 2, spin->height() / 2);
                auto highlighted = [&](const QImage& image) {
                    int count = 0;
                    for (int x = middle.x() - 20; x < middle.x() + 20; ++x)
                        if (image.pixelColor(x, 2 + (spin->height() - 4) / 4) == highlight) ++count;
                    return count;
                };
                QVERIFY(highlighted(with) > 20);
                QCOMPARE(highlighted(without), 0);
            });
        }
    }
};

QTEST_MAIN(keyboard_test)
#include "keyboard_test.moc"
