#include <QAbstractButton>
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "screens/ppc_checkbox_item.h"
#include "screens/ppc_display.h"
#include "screens/ppc_image_item.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_select_item.h"
#include "screens/ppc_string_item.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

// One typing session in an edit box: the box's state before, what is typed, and the state after.
struct typing_t {
    const char* name;
    int type;
    bool soft_keys;
    QString before;
    int caret;
    int max;
    QString typed;  // each character is one key press with that text; '*' is the star key
    QString after;
    int caret_after;
};

void type_into(ppc_edit_t& edit, const QString& typed) {
    for (QChar c : typed) {
        if (c == u'*') {
            type_key(&edit, Qt::Key_Asterisk, "*");
        } else if (c == u'\b') {
            type_key(&edit, Qt::Key_Backspace, "\b");
        } else {
            int key = c.isDigit() ? Qt::Key_0 + c.digitValue() : 0;
            type_key(&edit, key, QString(c));
            type_key(&edit, key, QString(c), false, QEvent::KeyRelease);
        }
    }
}

}  // namespace

class items_test : public QObject {
    Q_OBJECT

private slots:
    void input_types_apply_their_key_rules() {
        using t = input_item_t::type_t;
        const typing_t cases[] = {
            {"free text takes anything", t::any, false, "", 0, 255, "Аб c1-", "Аб c1-", 6},
            {"numeric: minus at the start", t::numeric, false, "123", 0, 255, "-", "-123", 1},
            {"numeric: minus after a digit", t::numeric, false, "123", 1, 255, "-", "123", 1},
            {"numeric: a second minus", t::numeric, false, "-12", 0, 255, "-", "-12", 0},
            {"numeric: minus when full", t::numeric, false, "123", 0, 3, "-", "123", 0},
            {"numeric: letters are dropped", t::numeric, false, "", 0, 255, "1ж2", "12", 2},
            {"phone: plus at the start", t::phone, false, "900", 0, 255, "+", "+900", 1},
            {"phone: plus elsewhere", t::phone, false, "900", 2, 255, "+", "900", 2},
            {"phone: a second plus", t::phone, false, "+7", 0, 255, "+", "+7", 0},
            {"phone: 0 is a digit on a touch screen", t::phone, false, "", 0, 255, "0", "0", 1},
            {"decimal: point at the caret", t::decimal, false, "12", 1, 255, ".", "1.2", 2},
            {"decimal: a second point", t::decimal, false, "1.2", 3, 255, ".", "1.2", 3},
            {"decimal: star is a point on a keypad", t::decimal, true, "12", 2, 255, "*", "12.", 3},
            {"decimal: star is nothing on a touch screen", t::decimal, false, "12", 2, 255, "*", "12", 2},
            {"amount: seven whole digits at most", t::currency, false, "", 0, 10, "123456789", "1234567", 7},
            {"amount: two digits after the point", t::currency, false, "12", 2, 10, ".3456", "12.34", 5},
            {"amount: point with three after the caret", t::currency, false, "12345", 2, 10, ".", "12345", 2},
            {"amount: point with two after the caret", t::currency, false, "12345", 3, 10, ".", "123.45", 4},
            {"amount: whole part grows before the point", t::currency, false, "12.34", 1, 10, "9", "192.34", 2},
            {"amount: whole part full before the point", t::currency, false, "1234567.1", 0, 10, "9", "1234567.1", 0},
            {"amount: letters are dropped after the point", t::currency, false, "1.", 2, 10, "ж5", "1.5", 3},
            {"amount: backspace always works", t::currency, false, "12.34", 5, 10, "\b\b\b", "12", 2},
            {"amount: star is a point on a keypad", t::currency, true, "5", 1, 10, "*", "5.", 2},
        };
        for (const auto& c : cases) {
            ppc_edit_t edit(nullptr, c.type, c.soft_keys, c.max);
            edit.setText(c.before);
            edit.setCursorPosition(c.caret);
            type_into(edit, c.typed);
            QVERIFY2(edit.text() == c.after, qPrintable(QString("%1: got %2").arg(c.name, edit.text())));
            QVERIFY2(edit.cursorPosition() == c.caret_after, c.name);
        }
    }

    void phone_zero_key_gives_plus_when_held_on_a_keypad() {
        std::int64_t now = 0;
        const auto real_clock = std::exchange(ppc_edit_t::clock, [&] { return now; });
        struct case_t {
            const char* name;
            QString before;
            int caret;
            std::int64_t held_ms;
            QString after;
        };
        const case_t cases[] = {
            {"tap inserts 0 at the caret", "12", 1, 100, "102"},
            {"hold at the start gives one plus", "12", 0, 2500, "+12"},
            {"hold elsewhere gives nothing", "12", 1, 2500, "12"},
            {"hold at the start of a plus number gives nothing", "+7", 0, 2500, "+7"},
        };
        for (const auto& c : cases) {
            ppc_edit_t edit(nullptr, input_item_t::phone, true, 20);
            edit.setText(c.before);
            edit.setCursorPosition(c.caret);
            now = 1000;
            type_key(&edit, Qt::Key_0, "0");
            // The keyboard repeats the key every 100 ms while it is held.
            for (std::int64_t t = 100; t < c.held_ms; t += 100) {
                now = 1000 + t;
                type_key(&edit, Qt::Key_0, "0", true, QEvent::KeyRelease);
                type_key(&edit, Qt::Key_0, "0", true);
            }
            now = 1000 + c.held_ms;
            type_key(&edit, Qt::Key_0, "0", false, QEvent::KeyRelease);
            QVERIFY2(edit.text() == c.after, qPrintable(QString("%1: got %2").arg(c.name, edit.text())));
        }
        ppc_edit_t::clock = real_clock;
    }

    void escape_deletes_a_character_before_it_goes_back() {
        ppc_edit_t edit(nullptr, input_item_t::any, true);
        edit.setText("аб");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&edit, &escape);
        QCOMPARE(edit.text(), QString("а"));
        QVERIFY(escape.isAccepted());
        edit.clear();
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&edit, &again);
        QVERIFY(!again.isAccepted());  // an empty box lets the form take it as Back
    }

    void input_commit_checks_and_stores_the_value() {
        struct case_t {
            const char* name;
            int type;
            int min_length;
            std::u16string text;
            bool ok;
            std::u16string stored;
        };
        const case_t cases[] = {
            {"amount ending in a point", input_item_t::currency, 0, u"5.", true, u"5"},
            {"amount starting with a point", input_item_t::currency, 0, u".5", true, u"0.5"},
            {"amount that is only a point", input_item_t::currency, 0, u".", false, u""},
            {"too short", input_item_t::any, 3, u"12", false, u""},
            {"long enough", input_item_t::any, 3, u"123", true, u"123"},
            {"points are kept in other types", input_item_t::decimal, 0, u"5.", true, u"5."},
        };
        for (const auto& c : cases) {
            ppc_form_t form(test_device(false), nullptr, u"");
            ppc_input_item_t input(&form, u"Сумма");
            test_param_t first, second;
            first.value = c.text;
            input.set_type(c.type, 0);
            input.set_min_length(c.min_length);
            input.set_error_text(u"Неверная сумма");
            input.set_param(&first);
            input.ppc_paramed_item_t::bind_default(&second);
            std::u16string message;
            QVERIFY2(input.commit(message) == c.ok, c.name);
            QVERIFY2(message == (c.ok ? u"" : u"Неверная сумма"), c.name);
            QVERIFY2(second.applied == (c.ok ? std::vector{c.stored} : std::vector<std::u16string>{}), c.name);
        }
        ppc_form_t form(test_device(false), nullptr, u"");
        ppc_input_item_t unbound(&form, u"");
        std::u16string message;
        QVERIFY(unbound.commit(message));

        test_param_t refusing;
        refusing.refuse = true;
        ppc_input_item_t refused(&form, u"");
        refused.set_error_text(u"Нет");
        refused.set_param(&refusing);
        QVERIFY(!refused.commit(message));
        QCOMPARE(message, std::u16string(u"Нет"));
    }

    void typed_text_reaches_the_parameters_through_the_form() {
        ppc_form_t form(test_device(true), nullptr, u"");
        auto input = std::make_unique<ppc_input_item_t>(&form, u"Получатель");
        auto* in = input.get();
        test_param_t name;
        in->set_param(&name);
        in->set_type(input_item_t::any, 1);
        form.add_item(std::move(input));
        while_shown(form, [&] {
            QCOMPARE(in->control()->echoMode(), QLineEdit::Password);
            type_text(in->control(), "Пётр");
            form.close();
        });
        QCOMPARE(name.value, std::u16string(u"Пётр"));
        QCOMPARE(in->value(), std::u16string(u"Пётр"));
    }

    void static_text_folds_and_reports_clicks_and_the_action_key() {
        QCOMPARE(ppc_string_item_t::fold_text(u"[-]Перевод с карты", 8), std::u16string(u"[+]Пе..."));
        QCOMPARE(ppc_string_item_t::fold_text(u"[-]аб", 2), std::u16string(u"..."));
        QCOMPARE(ppc_string_item_t::fold_text(u"[-]аб", 50), std::u16string(u"[+]аб..."));

        const std::u16string text =
            u"Перевод с карты на карту. Комиссия 1%, не менее 30 рублей, деньги придут в "
            u"течение суток.";
        for (bool soft_keys : {true, false}) {
            ppc_form_t form(test_device(soft_keys), nullptr, u"");
            auto item = std::make_unique<ppc_string_item_t>(&form, text);
            auto* s = item.get();
            test_action_t click;
            s->set_click_handler(&click);
            form.add_item(std::move(item));
            while_shown(form, [&] {
                QCOMPARE(s->shown_text(), u"[-]" + text);
                int unfolded_height = s->control()->height();
                s->fold();
                form.refresh();
                QVERIFY(s->shown_text().starts_with(u"[+]"));
                QVERIFY(s->shown_text().ends_with(u"..."));
                QVERIFY(s->control()->height() < unfolded_height);
                // The folded text stays on one line.
                QVERIFY(s->control()->fontMetrics().horizontalAdvance(s->control()->text()) <=
                        s->control()->width() - 4);

                QTest::mouseClick(s->control(), Qt::LeftButton);
                QCOMPARE(click.runs, 1);
                // Holding the action key runs the handler once; the next press runs it again.
                type_key(s->control(), Qt::Key_Return, "\r");
                type_key(s->control(), Qt::Key_Return, "\r", true, QEvent::KeyRelease);
                type_key(s->control(), Qt::Key_Return, "\r", true);
                type_key(s->control(), Qt::Key_Return, "\r", false, QEvent::KeyRelease);
                QCOMPARE(click.runs, 2);
                type_key(s->control(), Qt::Key_Return, "\r");
                QCOMPARE(click.runs, 3);
            });
        }
    }

    void check_boxes_store_true_or_false_under_their_text() {
        ppc_form_t form(test_device(false), nullptr, u"");
        auto item = std::make_unique<ppc_checkbox_item_t>(&form, u"Уведомления");
        auto* boxes = item.get();
        test_param_t sms_a, sms_b, mail;
        boxes->add_param(&sms_a);
        boxes->add_param(&sms_b);
        boxes->add_box(u"По СМС", true);
        boxes->add_box(u"Без параметров", true);
        boxes->add_param(&mail);
        boxes->add_box(u"По почте", true);
        form.add_item(std::move(item));
        while_shown(form, [&] {
            QCOMPARE(boxes->controls().size(), 3u);
            QCOMPARE(boxes->controls()[1]->text(), QString("Без параметров"));
            QTest::mouseClick(boxes->controls()[2], Qt::LeftButton, {},
                              QPoint(6, boxes->controls()[2]->height() / 2));  // the user unticks it
            form.close();
        });
        QCOMPARE(sms_a.applied, std::vector<std::u16string>{u"true"});
        QCOMPARE(sms_b.applied, std::vector<std::u16string>{u"true"});
        QCOMPARE(mail.applied, std::vector<std::u16string>{u"false"});

        // A refusing parameter stops the storing and fails the item, without a message.
        sms_b.refuse = true;
        mail.applied.clear();
        std::u16string message;
        QVERIFY(!boxes->commit(message));
        QVERIFY(message.empty());
        QVERIFY(mail.applied.empty());
    }

    void selection_picks_and_tells_only_the_users_changes() {
        for (int style : {int(select_item_t::drop_down), int(select_item_t::spin), int(select_item_t::radio), -1}) {
            ppc_form_t form(test_device(false), nullptr, u"");
            auto item = std::make_unique<ppc_select_item_t>(&form, u"Валюта");
            auto* select = item.get();
            if (style >= 0) select->set_style(style);
            std::vector<int> heard;
            test_action_t first, second;
            first.body = [&] { heard.push_back(1); };
            second.body = [&] { heard.push_back(2); };
            select->add_listener(&first);
            select->add_listener(&second);
            test_param_t param;
            select->bind_param(&param);
            for (auto* option : {u"Рубли", u"Доллары", u"Евро"}) select->add_option(option, false);
            form.add_item(std::move(item));

            while_shown(form, [&] {
                QCOMPARE(select->selected(), 0);  // nothing flagged: the first one
                if (style == select_item_t::drop_down || style == -1) {
                    auto* window = dynamic_cast<popup_select_wnd_t*>(select->window());
                    QVERIFY(window);
                    QCOMPARE(window->control()->currentText(), QString("Рубли"));
                    // The arrow opens the list; moving in it picks nothing until Enter.
                    QTest::keyClick(window->control(), Qt::Key_Down);
                    QAbstractItemView* list = window->control()->view();
                    QVERIFY(list->isVisible());
                    QTest::keyClick(list, Qt::Key_Down);
                    QCOMPARE(select->selected(), 0);
                    QTest::keyClick(list, Qt::Key_Return);
                } else if (style == select_item_t::spin) {
                    auto* window = dynamic_cast<spin_select_wnd_t*>(select->window());
                    QVERIFY(window);
                    QTest::keyClick(window->control(), Qt::Key_Left);  // wraps round to the last
                    QCOMPARE(window->control()->current_text(), QString("Евро"));
                    QTest::keyClick(window->control(), Qt::Key_Right);
                    QTest::keyClick(window->control(), Qt::Key_Right);
                } else {
                    auto* window = dynamic_cast<exclusive_select_wnd_t*>(select->window());
                    QVERIFY(window);
                    QCOMPARE(window->get_rect().height(), 3 * window->row_height());
                    QTest::mouseClick(window->radios()[1], Qt::LeftButton, {},
                                      QPoint(6, window->radios()[1]->height() / 2));
                }
                QCOMPARE(select->selected(), 1);
                form.close();
            });
            int changes = style == select_item_t::spin ? 3 : 1;
            QCOMPARE(heard.size(), std::size_t(2 * changes));
            QCOMPARE(heard[0], 1);
            QCOMPARE(heard[1], 2);
            QCOMPARE(param.applied, std::vector<std::u16string>{u"Доллары"});

            // Shown again it starts on the last pick, and building it tells nobody.
            heard.clear();
            while_shown(form, [&] { QCOMPARE(select->selected(), 1); });
            QVERIFY(heard.empty());
        }
    }

    void selection_options_and_styles() {
        ppc_form_t touch(test_device(false), nullptr, u"");
        ppc_select_item_t item(&touch, u"");
        item.add_option(u"А", true);
        item.add_option(u"Б", true);
        item.add_option(u"В", false);
        QCOMPARE(item.selected_text(), std::u16string(u"Б"));  // the later flagged option wins
        item.select_text(u"нет такого");
        QCOMPARE(item.selected_text(), std::u16string(u"Б"));
        item.select_text(u"В");
        QCOMPARE(item.selected_text(), std::u16string(u"В"));

        ppc_form_t keypad(test_device(true), nullptr, u"");
        ppc_select_item_t on_keypad(&keypad, u"");
        on_keypad.set_style(select_item_t::drop_down);
        QVERIFY(dynamic_cast<spin_select_wnd_t*>(on_keypad.window()));
        on_keypad.set_style(select_item_t::radio);
        QVERIFY(dynamic_cast<spin_select_wnd_t*>(on_keypad.window()));
        // Without a style it is a drop-down list on a keypad phone too.
        auto unstyled = std::make_unique<ppc_select_item_t>(&keypad, u"Карта");
        auto* plain = unstyled.get();
        plain->add_option(u"Мир •• 0931", false);
        keypad.add_item(std::move(unstyled));
        while_shown(keypad, [&] { QVERIFY(dynamic_cast<popup_select_wnd_t*>(plain->window())); });

        // Two radio items on one form keep their own picks.
        auto first = std::make_unique<ppc_select_item_t>(&touch, u"Первый");
        auto second = std::make_unique<ppc_select_item_t>(&touch, u"Второй");
        auto *a = first.get(), *b = second.get();
        for (auto* s : {a, b}) {
            s->set_style(select_item_t::radio);
            s->add_option(u"Да", false);
            s->add_option(u"Нет", false);
        }
        touch.add_item(std::move(first));
        touch.add_item(std::move(second));
        while_shown(touch, [&] {
            QTest::mouseClick(static_cast<exclusive_select_wnd_t*>(b->window())->radios()[1], Qt::LeftButton, {},
                              QPoint(6, 8));
            QVERIFY(static_cast<exclusive_select_wnd_t*>(a->window())->radios()[0]->isChecked());
        });
        QCOMPARE(a->selected(), 0);
        QCOMPARE(b->selected(), 1);
    }

    void long_texts_keep_what_tells_them_apart_on_small_screens() {
        // Two cards that differ only at the end of a long text; an option and a box label that cannot fit one
        // line of the narrowest screen.
        const std::u16string card_a = u"Мир Зарплатная Премиальная •• 0931",
                             card_b = u"Мир Зарплатная Премиальная •• 4417";
        const std::u16string long_label = u"Перечислить остаток на сберегательный счёт по окончании срока вклада";
        for (screen_size_t screen : {screen_size_t{240, 320}, screen_size_t{320, 480}}) {
            for (bool soft_keys : {true, false}) {
                ppc_form_t form(ppc_device_t{soft_keys, screen}, nullptr, u"");
                auto spin = std::make_unique<ppc_select_item_t>(&form, u"Карта");
                auto drop = std::make_unique<ppc_select_item_t>(&form, u"Карта");
                auto radio = std::make_unique<ppc_select_item_t>(&form, u"Счёт");
                auto boxes = std::make_unique<ppc_checkbox_item_t>(&form, u"Условия");
                auto *s = spin.get(), *d = drop.get(), *r = radio.get();
                auto* b = boxes.get();
                s->set_style(select_item_t::spin);
                r->set_style(select_item_t::radio);
                for (auto* select : {s, d, r}) {
                    select->add_option(select == r ? long_label : card_a, false);
                    select->add_option(select == r ? u"Текущий" : card_b, select != r);
                }
                b->add_box(long_label, true);
                b->add_box(u"По СМС", false);
                for (auto* item : std::initializer_list<item_t*>{s, d, r, b})
                    form.add_item(std::unique_ptr<item_t>(item));
                spin.release(), drop.release(), radio.release(), boxes.release();
                const QString name = QString("%1x%2 %3").arg(screen.width).arg(screen.height).arg(soft_keys);
                while_shown(form, [&] {
                    auto* line = static_cast<spin_select_wnd_t*>(s->window())->control();
                    QVERIFY2(line->shown_text().endsWith("4417"), qPrintable(name + ": " + line->shown_text()));
                    if (auto* combo = dynamic_cast<popup_select_wnd_t*>(d->window()))
                        QVERIFY2(combo->control()->shown_text().endsWith("4417"), qPrintable(name));
                    // Labels of radio buttons and check boxes wrap and their rows grow: nothing is cut.
                    std::vector<QAbstractButton*> buttons;
                    if (auto* radios = dynamic_cast<exclusive_select_wnd_t*>(r->window()))
                        for (auto& radio_button : radios->radios()) buttons.push_back(radio_button);
                    for (auto& box : b->controls()) buttons.push_back(box);
                    for (QAbstractButton* button : buttons) {
                        QVERIFY2(button->heightForWidth(button->width()) <= button->height(),
                                 qPrintable(name + ": " + button->text()));
                        // And the long one needs more than one line at this width.
                        if (button->text() == QString::fromStdU16String(long_label))
                            QVERIFY(button->height() > 2 * button->fontMetrics().height());
                    }
                    // A click on the text of a box, not only on its square, ticks it.
                    auto* second = b->controls()[1].data();
                    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(second->width() - 10, second->height() / 2));
                    QVERIFY(second->isChecked());
                });
            }
        }
    }

    void pictures_are_centred_and_missing_ones_take_no_room() {
        QTemporaryDir folder;
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(folder.filePath("logo.bmp"), "BMP"));

        ppc_display_t display(test_device(false), nullptr);
        display.set_script_folder(folder.path().toStdU16String());
        ppc_form_t form(test_device(false), nullptr, u"");
        auto shown = display.create_image_item(&form, u"/lo/go.bmp");
        auto missing = display.create_image_item(&form, u"nothing.bmp");
        auto* shown_part = dynamic_cast<ppc_image_item_t*>(shown.get());
        QCOMPARE(shown_part->path(), (folder.path() + "/logo.bmp").toStdU16String());
        form.add_item(std::move(missing));
        form.add_item(std::move(shown));
        auto after = std::make_unique<fixed_item_t>(&form, 2000);
        auto* next = after.get();
        form.add_item(std::move(after));
        while_shown(form, [&] {
            // The missing picture is left out; only the gap after it remains.
            QCOMPARE(shown_part->control()->y(), 4 + 4);
            QCOMPARE(shown_part->control()->width(), 40);
            int middle = form.area().left + (form.area().right - form.area().left) / 2;
            QVERIFY(std::abs(shown_part->control()->geometry().center().x() - middle) <= 1);
            QCOMPARE(next->top, 4 + 4 + 30 + 4);
            form.scroll_bar()->setValue(50);
            QCOMPARE(next->top - shown_part->control()->y(), 30 + 4);
        });
    }
};

QTEST_MAIN(items_test)
#include "items_test.moc"
