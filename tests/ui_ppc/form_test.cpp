#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "core/text_error.h"
#include "screens/message_box.h"
#include "screens/ppc_button.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_select_item.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

// One notch of the mouse wheel over `widget`, turned towards the user (down the form) or away.
void wheel(QWidget* widget, bool down) {
    const QPointF at(widget->width() / 2, widget->height() / 2);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, down ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// Where the page's content stands: the top of the first control, which moves up as the form scrolls.
int content_top(ppc_form_t& form) {
    return form.page()->findChildren<QWidget*>().front()->y();
}

}  // namespace

class form_test : public QObject {
    Q_OBJECT

    struct form_with_items_t {
        explicit form_with_items_t(std::initializer_list<int> heights, bool soft_keys = false)
            : form(test_device(soft_keys), nullptr, u"Форма") {
            for (int h : heights) {
                auto item = std::make_unique<fixed_item_t>(&form, h);
                items.push_back(item.get());
                form.add_item(std::move(item));
            }
        }
        ppc_form_t form;
        std::vector<fixed_item_t*> items;
    };

private slots:
    void init() {
        message_box_t::clear_record();
        message_box_t::clear_next_answers();
    }

    void lays_items_out_top_down_with_gaps() {
        form_with_items_t f({20, 30, 40});
        ppc_rect_t content;
        while_shown(f.form, [&] { content = f.form.content(); });
        QCOMPARE(content.bottom, 102);
        QCOMPARE(content.right, f.form.area().right - f.form.area().left);
        QCOMPARE(f.items[0]->top, 4);
        QCOMPARE(f.items[1]->top, 28);
        QCOMPARE(f.items[2]->top, 62);
        QVERIFY(!f.form.is_open());
    }

    void an_item_that_cannot_be_made_stops_the_form() {
        form_with_items_t f({20});
        f.items[0]->fail_create = true;
        try {
            f.form.show();
            QFAIL("no error");
        } catch (const text_error_t& error) {
            QCOMPARE(error.text(), std::u16string(u"Не создался контрол"));
        }
        QVERIFY(!f.form.is_open());
    }

    void without_items_the_default_button_runs_at_once() {
        ppc_form_t form(test_device(true), nullptr, u"Пустая");
        ppc_button_t plain(u"Справка", button_t::plain), first(u"Первая", 0), second(u"Вторая", 0);
        test_action_t plain_action, first_action, second_action;
        plain.set_action(&plain_action);
        first.set_action(&first_action);
        second.set_action(&second_action);
        form.show();  // nothing to do, nothing shown
        for (auto* b : {&plain, &first, &second}) form.add_button(b);
        QCOMPARE(form.default_button(), &first);
        form.show();
        QCOMPARE(first_action.runs, 1);
        QCOMPARE(second_action.runs + plain_action.runs, 0);
        QVERIFY(!form.isVisible());
    }

    void lists_buttons_as_numbered_commands_and_reaches_only_ten() {
        form_with_items_t f({20}, true);
        std::vector<std::unique_ptr<ppc_button_t>> buttons;
        std::vector<test_action_t> actions(13);
        for (int i = 0; i < 13; ++i) {
            // The third one is the back button: recorded, never listed, never run.
            int kind = i == 2 ? button_t::back : i % 2;
            buttons.push_back(std::make_unique<ppc_button_t>(u"Команда " + std::u16string(1, u'A' + i), kind));
            buttons.back()->set_action(&actions[i]);
            f.form.add_button(buttons.back().get());
        }
        QCOMPARE(f.form.back_button(), buttons[2].get());
        QCOMPARE(f.form.default_button(), buttons[0].get());
        while_shown(f.form, [&] {
            auto entries = f.form.options_menu()->actions();
            QCOMPARE(entries.size(), 12);
            QCOMPARE(entries[0]->text(), QString("Команда A"));
            QCOMPARE(entries[2]->text(), QString("Команда D"));
            for (int i = 0; i < entries.size(); ++i) QCOMPARE(entries[i]->data().toInt(), 32871 + i);
            // Past the tenth the entries show as unavailable, as they are.
            for (int i = 0; i < entries.size(); ++i) QCOMPARE(entries[i]->isEnabled(), i < 10);
            for (QAction* entry : entries) entry->trigger();
        });
        // Entries 1 to 10 ran (without the back button that means buttons 0..10 except 2); 11 and 12 did not.
        for (int i = 0; i < 13; ++i) QCOMPARE(actions[i].runs, (i != 2 && i <= 10) ? 1 : 0);
    }

    void a_confirming_button_commits_every_item_first() {
        struct case_t {
            const char* name;
            int refusing;  // index of the refusing item, -1 for none
            std::u16string message;
            std::u16string shown;
        };
        const case_t cases[] = {
            {"all accept", -1, u"", u""},
            {"second refuses with its text", 1, u"Не указана сумма", u"Не указана сумма"},
            {"first refuses silently", 0, u"", u"ошибка"},
        };
        for (const auto& c : cases) {
            message_box_t::clear_record();
            message_box_t::clear_next_answers();
            message_box_t::set_next_answer(QMessageBox::Ok);
            form_with_items_t f({20, 20, 20});
            if (c.refusing >= 0) {
                f.items[c.refusing]->refuse = true;
                f.items[c.refusing]->message = c.message;
            }
            ppc_button_t send(u"Отправить", button_t::confirming), help(u"Справка", button_t::plain);
            test_action_t sent, helped;
            send.set_action(&sent);
            help.set_action(&helped);
            f.form.add_button(&send);
            f.form.add_button(&help);
            while_shown(f.form, [&] {
                f.form.command(ppc_form_t::first_button_command + 1);  // a plain command checks nothing
                f.form.command(ppc_form_t::first_button_command);
                QVERIFY2(f.form.is_open(), c.name);
            });
            QCOMPARE(helped.runs, 1);
            QCOMPARE(sent.runs, c.refusing < 0 ? 1 : 0);
            for (int i = 0; i < 3; ++i) QCOMPARE(f.items[i]->commits, c.refusing < 0 || i <= c.refusing ? 1 : 0);
            if (c.shown.empty()) {
                QVERIFY2(message_box_t::record().isEmpty(), c.name);
            } else {
                QCOMPARE(message_box_t::record().size(), 1);
                QCOMPARE(message_box_t::record()[0].icon, message_box_t::icon_t::error);
                QCOMPARE(message_box_t::record()[0].text, QString::fromStdU16String(c.shown));
            }
        }
    }

    void close_commits_and_back_does_not() {
        form_with_items_t f({20, 20});
        f.items[0]->refuse = true;  // close keeps what is on the screen whatever the items say
        while_shown(f.form, [&] { f.form.close(); });
        QCOMPARE(f.items[0]->commits, 1);
        QCOMPARE(f.items[1]->commits, 1);
        while_shown(f.form, [&] { QTest::keyClick(&f.form, Qt::Key_Escape); });
        QCOMPARE(f.items[1]->commits, 1);
        f.form.close();  // not shown: nothing happens
        QCOMPARE(f.items[1]->commits, 1);
    }

    void soft_keys_work_from_the_keyboard_and_the_mouse() {
        for (bool soft_keys : {true, false}) {
            form_with_items_t f({20}, soft_keys);
            ppc_button_t help(u"Справка", button_t::plain);
            test_action_t helped;
            help.set_action(&helped);
            f.form.add_button(&help);
            for (int key : {Qt::Key_F1, Qt::Key_Context1}) {
                // The options menu pops up; the user picks its entry with the keyboard.
                while_shown(f.form, [&] {
                    QTimer::singleShot(0, [&] {
                        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                        QVERIFY(menu);
                        QTest::keyClick(menu, Qt::Key_Down);
                        QTest::keyClick(menu, Qt::Key_Return);
                    });
                    type_key(&f.form, key);
                });
            }
            QCOMPARE(helped.runs, 2);
            for (int key : {Qt::Key_F2, Qt::Key_Context2, Qt::Key_Escape}) {
                bool was_open = false;
                while_shown(f.form, [&] {
                    was_open = f.form.is_open();
                    type_key(&f.form, key);
                    QVERIFY(!f.form.is_open());
                });
                QVERIFY(was_open);
            }
            while_shown(f.form, [&] {
                QCOMPARE(f.form.right_soft_key()->text(), QString("Назад"));
                QCOMPARE(f.form.left_soft_key()->text(), QString("Опции"));
                QTest::mouseClick(f.form.right_soft_key(), Qt::LeftButton);
                QVERIFY(!f.form.is_open());
            });
        }
    }

    void up_and_down_step_between_controls_on_a_keypad() {
        for (bool soft_keys : {true, false}) {
            ppc_form_t form(test_device(soft_keys), nullptr, u"");
            for (auto* caption : {u"Первое", u"Второе"})
                form.add_item(std::make_unique<ppc_input_item_t>(&form, caption));
            while_shown(form, [&] {
                auto edits = form.page()->findChildren<ppc_edit_t*>();
                QCOMPARE(edits.size(), 2);
                edits[0]->setFocus();
                type_key(edits[0], Qt::Key_Down);
                QCOMPARE(form.focusWidget(), soft_keys ? edits[1] : edits[0]);
                if (soft_keys) {
                    type_key(edits[1], Qt::Key_Up);
                    QCOMPARE(form.focusWidget(), edits[0]);
                }
            });
        }
    }

    void escape_in_a_box_with_text_deletes_before_it_goes_back() {
        ppc_form_t form(test_device(true), nullptr, u"");
        auto input = std::make_unique<ppc_input_item_t>(&form, u"Имя");
        auto* in = input.get();
        form.add_item(std::move(input));
        while_shown(form, [&] {
            type_text(in->control(), "Ян");
            type_key(in->control(), Qt::Key_Escape);
            type_key(in->control(), Qt::Key_Escape);
            QCOMPARE(in->control()->text(), QString());
            QVERIFY(form.is_open());
            type_key(in->control(), Qt::Key_Escape);  // reaches the form as the Back key
            QVERIFY(!form.is_open());
        });
    }

    void a_mouse_user_opens_the_options_from_the_soft_key() {
        for (bool soft_keys : {true, false}) {
            form_with_items_t f({20}, soft_keys);
            ppc_button_t help(u"Справка", button_t::plain);
            test_action_t helped;
            help.set_action(&helped);
            f.form.add_button(&help);
            while_shown(f.form, [&] {
                QTimer::singleShot(0, [&] {
                    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    QVERIFY(menu);
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions()[0]).center());
                });
                QTest::mouseClick(f.form.left_soft_key(), Qt::LeftButton);
            });
            QCOMPARE(helped.runs, 1);
        }
    }

    void stepping_through_a_long_form_keeps_the_control_in_view() {
        for (bool soft_keys : {true, false}) {
            ppc_form_t form(test_device(soft_keys), nullptr, u"");
            for (int i = 0; i < 20; ++i) form.add_item(std::make_unique<ppc_input_item_t>(&form, u"Поле"));
            while_shown(form, [&] {
                auto edits = form.page()->findChildren<ppc_edit_t*>();
                int client = form.page()->height();
                QVERIFY(edits.back()->geometry().bottom() > client);
                form.ensure_visible(edits.back());
                QVERIFY(edits.back()->geometry().bottom() < client);
                QVERIFY(edits.back()->geometry().top() >= 0);
                form.ensure_visible(edits.front());
                QVERIFY(edits.front()->geometry().top() >= 0);
                QCOMPARE(form.scroll_position(), 0);
            });
        }
    }

    void an_error_of_an_action_ends_the_form_and_leaves_show() {
        form_with_items_t f({20});
        ppc_button_t send(u"Отправить", button_t::confirming);
        test_action_t failing;
        failing.body = [] { throw text_error_t(u"Нет связи"); };
        send.set_action(&failing);
        f.form.add_button(&send);
        QTimer::singleShot(0, [&] { f.form.options_menu()->actions().at(0)->trigger(); });
        try {
            f.form.show();
            QFAIL("no error");
        } catch (const text_error_t& error) {
            QCOMPARE(error.text(), std::u16string(u"Нет связи"));
        }
        QVERIFY(!f.form.is_open());
        QVERIFY(!f.form.isVisible());
    }

    void scrolls_by_percent_of_the_overflow() {
        form_with_items_t f({100});
        while_shown(f.form, [&] {
            int client = f.form.page()->height();
            // Make the content 200 pixels taller than the page allows (content + 4 - client = 200).
            f.items[0]->height = client + 200 - 8;
            f.form.refresh();
            QVERIFY(f.form.scroll_bar()->isVisible());
            f.form.scroll_bar()->setValue(50);
            QCOMPARE(f.items[0]->top, 4 - 100);
            f.form.scroll_bar()->setValue(0);
            f.form.scroll_bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QCOMPARE(f.form.scroll_position(), 8);
            QCOMPARE(f.items[0]->top, 4 - 16);
            f.form.scroll_bar()->triggerAction(QAbstractSlider::SliderToMaximum);
            QCOMPARE(f.items[0]->top, 4 - 200);
            // Content that fits again: no scroll bar, and the position goes back to 0.
            f.items[0]->height = 50;
            f.form.refresh();
            QVERIFY(!f.form.scroll_bar()->isVisible());
            QCOMPARE(f.form.scroll_position(), 0);
            QCOMPARE(f.items[0]->top, 4);
        });
    }

    void the_wheel_scrolls_the_form_a_bounded_step_and_leaves_drop_downs_alone() {
        for (bool soft_keys : {true, false}) {
            ppc_form_t form(test_device(soft_keys), nullptr, u"");
            for (int i = 0; i < 60; ++i) form.add_item(std::make_unique<ppc_input_item_t>(&form, u"Поле"));
            auto card = std::make_unique<ppc_select_item_t>(&form, u"Карта списания");
            for (auto* option : {u"Visa •• 4417", u"Мир •• 0931", u"Мир •• 1200"}) card->add_option(option, false);
            auto* select = card.get();
            form.add_item(std::move(card));
            for (int i = 0; i < 60; ++i) form.add_item(std::make_unique<ppc_input_item_t>(&form, u"Поле"));
            while_shown(form, [&] {
                auto edits = form.page()->findChildren<ppc_edit_t*>();
                auto* combo = static_cast<popup_select_wnd_t*>(select->window())->control();
                edits.front()->setFocus();
                QVERIFY(form.scroll_bar()->isVisible());
                const int page = form.page()->height();
                QVERIFY(form.wheel_step() > 0 && form.wheel_step() <= page);

                // Over an input and over the scroll bar, one notch moves the page by about the step, never
                // by more than a page.
                for (QWidget* under : {static_cast<QWidget*>(edits[1]), static_cast<QWidget*>(form.scroll_bar())}) {
                    const int before = content_top(form);
                    wheel(under, true);
                    const int moved = before - content_top(form);
                    QVERIFY(moved > 0);
                    QVERIFY(moved <= page);
                    wheel(under, false);
                    QCOMPARE(content_top(form), before);
                }

                // Over a drop-down the user has not gone to, the wheel scrolls on and the pick stays.
                form.ensure_visible(combo);
                const int before = content_top(form);
                wheel(combo, true);
                QCOMPARE(select->selected(), 0);
                QVERIFY(content_top(form) < before);

                // Once the user has stepped to it, the wheel is for the pick.
                combo->clearFocus();
                combo->setFocus(Qt::TabFocusReason);
                wheel(combo, true);
                QCOMPARE(select->selected(), 1);
                QCOMPARE(combo->currentIndex(), 1);

                // So it is after a click that opened its list and closing the list again.
                edits.back()->setFocus();
                QTest::mouseClick(combo, Qt::LeftButton);
                QVERIFY(combo->view()->isVisible());
                combo->hidePopup();
                QCOMPARE(QApplication::focusWidget(), combo);
                wheel(combo, true);
                QCOMPARE(select->selected(), 2);
            });
        }
    }

    void every_pop_up_stays_inside_the_screen() {
        // The options menu from the soft key (a menu button on a touch screen, a pop-up over the form on a
        // keypad), with long commands; the list of a drop-down at the bottom; the context menu of an edit box
        // opened at its far corner.
        for (const screen_size_t screen : {screen_size_t{240, 320}, screen_size_t{320, 480}}) {
            for (bool soft_keys : {true, false}) {
                ppc_form_t form(ppc_device_t{soft_keys, screen}, nullptr, u"Форма");
                auto input = std::make_unique<ppc_input_item_t>(&form, u"Поле");
                auto* edit_item = input.get();
                form.add_item(std::move(input));
                auto card = std::make_unique<ppc_select_item_t>(&form, u"Карта");
                for (int i = 0; i < 12; ++i)
                    card->add_option(
                        u"Карта с очень длинным названием •• " + std::u16string(4, char16_t(u'0' + i % 10)), false);
                auto* select = card.get();
                form.add_item(std::move(card));
                std::vector<std::unique_ptr<ppc_button_t>> buttons;
                for (int i = 0; i < 3; ++i) {
                    buttons.push_back(std::make_unique<ppc_button_t>(
                        u"Команда с весьма длинным названием номер " + std::u16string(1, u'1' + i), button_t::plain));
                    form.add_button(buttons.back().get());
                }
                const QString name =
                    QString("%1x%2 %3").arg(screen.width).arg(screen.height).arg(soft_keys ? "keypad" : "touch");
                while_shown(form, [&] {
                    const QRect inside(form.mapToGlobal(QPoint(0, 0)), form.size());
                    auto check_popup = [&](const char* what) {
                        QWidget* popup = QApplication::activePopupWidget();
                        QVERIFY2(popup, qPrintable(name + " " + what));
                        const QRect at(popup->mapToGlobal(QPoint(0, 0)), popup->size());
                        popup->close();
                        QVERIFY2(inside.contains(at), qPrintable(name + " " + what));
                    };
                    QTimer::singleShot(0, [&] { check_popup("options menu"); });
                    QTest::mouseClick(form.left_soft_key(), Qt::LeftButton);

                    auto* combo = static_cast<popup_select_wnd_t*>(select->window())->control();
                    combo->showPopup();
                    check_popup("drop-down list");

                    QLineEdit* edit = edit_item->control();
                    QContextMenuEvent menu_event(QContextMenuEvent::Mouse,
                                                 QPoint(edit->width() - 1, edit->height() - 1),
                                                 edit->mapToGlobal(QPoint(edit->width() - 1, edit->height() - 1)));
                    // Opened at once or in a loop of its own: looked at either way. The timer may fire after this
                    // block has ended, so what it reads first outlives the block.
                    auto looked = std::make_shared<bool>(false);
                    QTimer::singleShot(0, [&, looked] {
                        if (*looked || !QApplication::activePopupWidget()) return;
                        *looked = true;
                        check_popup("context menu");
                    });
                    QApplication::sendEvent(edit, &menu_event);
                    if (!*looked) {
                        *looked = true;
                        check_popup("context menu");
                    }
                });
            }
        }
    }

    void soft_keys_keep_their_places_and_name_their_keyboard_keys() {
        for (int commands : {0, 1}) {
            form_with_items_t f({20}, true);
            ppc_button_t help(u"Справка", button_t::plain);
            if (commands) f.form.add_button(&help);
            while_shown(f.form, [&] {
                auto* back = f.form.right_soft_key();
                // "Назад" keeps the right half, also without "Опции" beside it.
                QCOMPARE(f.form.left_soft_key()->isVisible(), commands == 1);
                QVERIFY(back->geometry().left() >= f.form.width() / 2 - 4);
                QCOMPARE(f.form.left_soft_key()->hint(), QKeySequence(Qt::Key_F1).toString());
                QCOMPARE(back->hint(), QKeySequence(Qt::Key_F2).toString());
                // The caption and the hint both fit the key.
                QVERIFY(back->sizeHint().width() <= back->width());
            });
        }
    }

    void brings_a_point_below_the_page_into_view() {
        form_with_items_t f({300, 300});
        while_shown(f.form, [&] {
            int client = f.form.page()->height();
            f.form.scroll_into_view(client - 1);  // already in view
            QCOMPARE(f.form.scroll_position(), 0);
            f.form.scroll_into_view(f.items[1]->top + 300 + 10);
            QVERIFY(f.form.scroll_position() > 0);
            QVERIFY(f.items[1]->top + 300 <= client);
            f.form.scroll_into_view(100000);
            QCOMPARE(f.form.scroll_position(), 100);
        });
    }
};

QTEST_MAIN(form_test)
#include "form_test.moc"
