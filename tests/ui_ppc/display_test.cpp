#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "core/text_error.h"
#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "screens/ppc_input_item.h"
#include "screens/qt_translations.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

bool cyrillic(const QString& text) {
    for (QChar c : text)
        if (c.script() == QChar::Script_Cyrillic) return true;
    return false;
}

}  // namespace

class display_test : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(install_qt_translations(*qApp)); }

    void init() {
        message_box_t::clear_record();
        message_box_t::clear_next_answers();
    }

    void alerts_show_their_kind_and_take_the_answer() {
        struct case_t {
            int kind;
            QMessageBox::StandardButton pressed;
            message_box_t::icon_t icon;
            bool answer;
        };
        using icon = message_box_t::icon_t;
        const case_t cases[] = {
            {0, QMessageBox::Ok, icon::information, true}, {1, QMessageBox::Ok, icon::error, true},
            {2, QMessageBox::Yes, icon::question, true},   {2, QMessageBox::No, icon::question, false},
            {7, QMessageBox::Ok, icon::information, true}, {-1, QMessageBox::Ok, icon::information, true},
        };
        ppc_display_t display(test_device(true), nullptr);
        for (const auto& c : cases) {
            message_box_t::clear_record();
            auto alert = display.create_alert(u"не показывается", u"Отправить?", c.kind);
            message_box_t::set_next_answer(c.pressed);
            alert->show();
            QCOMPARE(alert->answer(), c.answer);
            QCOMPARE(message_box_t::record().size(), 1);
            QCOMPARE(message_box_t::record()[0].icon, c.icon);
            QCOMPARE(message_box_t::record()[0].text, QString("Отправить?"));
        }
        // A box closed some other way leaves the answer as it was.
        auto alert = display.create_alert(u"", u"Да?", 2);
        message_box_t::set_next_answer(QMessageBox::Yes);
        alert->show();
        message_box_t::set_next_answer(QMessageBox::Cancel);
        alert->show();
        QVERIFY(alert->answer());
    }

    void a_real_box_is_captioned_with_the_program_and_asks_yes_or_no() {
        ppc_display_t display(test_device(true), nullptr);
        auto alert = display.create_alert(u"", u"Подтвердить платёж?", alert_t::question);
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            QCOMPARE(box->icon(), QMessageBox::Question);
            QVERIFY(box->button(QMessageBox::Yes));
            QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
        });
        alert->show();
        QCOMPARE(caption, QString("Ostrevan"));
        QVERIFY(!alert->answer());
    }

    void enter_takes_the_default_which_is_no_for_a_risky_question() {
        // A repeat that could pay twice must not go by a hasty Enter.
        struct case_t {
            int kind;
            QMessageBox::Icon icon;
            bool answer;
        };
        for (const case_t c : {case_t{alert_t::question, QMessageBox::Question, true},
                               case_t{alert_t::risky_question, QMessageBox::Warning, false}}) {
            ppc_display_t display(test_device(true), nullptr);
            auto alert = display.create_alert(u"", u"Отправить ещё раз?", c.kind);
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                QCOMPARE(box->icon(), c.icon);
                QTest::keyClick(box, Qt::Key_Return);
            });
            alert->show();
            QCOMPARE(alert->answer(), c.answer);
        }
    }

    void qt_draws_its_own_texts_in_russian() {
        // The buttons of every kind of box, as the user meets them ("OK" is Russian as Qt's catalogue has it).
        struct case_t {
            message_box_t::icon_t icon;
            QList<QMessageBox::StandardButton> buttons;
            QStringList texts;
        };
        const case_t cases[] = {
            {message_box_t::icon_t::information, {QMessageBox::Ok}, {"OK"}},
            {message_box_t::icon_t::error, {QMessageBox::Ok}, {"OK"}},
            {message_box_t::icon_t::question, {QMessageBox::Yes, QMessageBox::No}, {"Да", "Нет"}},
        };
        QWidget main_window;
        for (const auto& c : cases) {
            QStringList texts;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                for (auto button : c.buttons) texts << box->button(button)->text().remove(u'&');
                QCOMPARE(box->buttons().size(), c.buttons.size());
                QTest::mouseClick(box->button(c.buttons.back()), Qt::LeftButton);
            });
            QCOMPARE(message_box_t::show(&main_window, c.icon, "Проверка"), c.buttons.back());
            QCOMPARE(texts, c.texts);
        }
        // A box the user saw and answered is not kept in the record; only those answered by a test are.
        QVERIFY(message_box_t::record().isEmpty());

        // The edit box's own menu.
        ppc_edit_t edit(nullptr, input_item_t::any, false);
        edit.setText("текст");
        std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
        int entries = 0;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator()) continue;
            ++entries;
            QVERIFY2(cyrillic(action->text()), qPrintable(action->text()));
        }
        QVERIFY(entries >= 5);
    }

    void a_form_outlives_the_main_window_it_stood_over() {
        auto main_window = std::make_unique<QWidget>();
        main_window->resize(320, 480);
        main_window->show();
        ppc_display_t display(test_device(true), main_window.get());
        auto form = display.create_form(u"Перевод");
        form->add_item(display.create_input_item(form.get(), u"Сумма"));
        auto* dialog = static_cast<ppc_form_t*>(form.get());
        while_shown(*form, [&] {
            // It stays over the main window without being its child: the tag that asked for it owns it.
            QVERIFY(dialog->windowHandle());
            QCOMPARE(dialog->windowHandle()->transientParent(), main_window->windowHandle());
            QCOMPARE(dialog->pos(), main_window->mapToGlobal(QPoint(0, 0)));
        });
        // The main window goes first, as at the end of the program; the form is deleted once, by its owner.
        main_window.reset();
        QVERIFY(!dialog->isVisible());
        form.reset();
    }

    void menu_commands_are_numbered_from_37001_on_each_build() {
        ppc_display_t display(test_device(true), nullptr);
        QMenu menu;
        menu.addAction("старое");
        std::vector<test_tag_t> tags(101);
        display.reset_menu(&menu);
        QVERIFY(menu.actions().isEmpty());
        QCOMPARE(display.current_menu(), &menu);
        QCOMPARE(display.root_menu(), &menu);
        for (int i = 0; i < 101; ++i) QCOMPARE(display.register_command(u"", &tags[i]), 37001 + i);

        // The hundredth entry still runs; the main window routes no command past it.
        QVERIFY(display.dispatch_command(37100));
        QCOMPARE(tags[99].shows, 1);
        QVERIFY(!display.dispatch_command(37101));
        QCOMPARE(tags[100].shows, 0);

        display.reset_menu(&menu);
        QCOMPARE(display.register_command(u"", &tags[0]), 37001);
        QVERIFY(!display.dispatch_command(37002));  // from the last build: gone
        QCOMPARE(display.register_command(u"", nullptr), 37002);
        QVERIFY(!display.dispatch_command(37002));
        QVERIFY(display.dispatch_command(37001));
        QCOMPARE(tags[0].shows, 1);
    }

    void an_error_from_a_menu_command_is_shown_and_the_program_goes_on() {
        ppc_display_t display(test_device(true), nullptr);
        display.reset_menu(nullptr);
        test_tag_t failing, fine;
        failing.body = [] { throw text_error_t(u"Не создался контрол"); };
        int first = display.register_command(u"", &failing);
        int second = display.register_command(u"", &fine);
        message_box_t::set_next_answer(QMessageBox::Ok);
        QVERIFY(!display.dispatch_command(first));
        QCOMPARE(message_box_t::record().size(), 1);
        QCOMPARE(message_box_t::record()[0].icon, message_box_t::icon_t::error);
        QCOMPARE(message_box_t::record()[0].text, QString("Не создался контрол"));
        QVERIFY(display.dispatch_command(second));
    }

    void names_of_pictures_lose_their_slashes() {
        ppc_display_t display(test_device(true), nullptr);
        display.set_logo_image(u"pics/logo.bmp");
        QCOMPARE(display.logo_image(), std::u16string(u"picslogo.bmp"));
    }

    void the_display_makes_forms_and_items_that_work_together() {
        ppc_display_t display(test_device(true), nullptr);
        auto form = display.create_form(u"Баланс");
        QCOMPARE(form->title(), std::u16string(u"Баланс"));
        auto input = display.create_input_item(form.get(), u"Номер карты");
        test_param_t card;
        input->set_type(input_item_t::numeric, 0);
        input->set_max_length(4);
        input->set_param(&card);
        QCOMPARE(input->max_length(), 4);
        form->add_item(std::move(input));
        auto send = display.create_button(form.get(), u"Отправить", button_t::confirming);
        test_action_t sent;
        sent.body = [&] { form->close(); };
        send->set_action(&sent);
        form->add_button(send.get());

        auto* dialog = static_cast<ppc_form_t*>(form.get());
        while_shown(*form, [&] {
            QVERIFY(form->is_open());
            auto* edit = dialog->page()->findChild<ppc_edit_t*>();
            QVERIFY(edit);
            type_text(edit, "12345");
            dialog->options_menu()->actions().at(0)->trigger();
        });
        QCOMPARE(sent.runs, 1);
        QVERIFY(!form->is_open());
        QCOMPARE(card.value, std::u16string(u"1234"));

        // Cleared, it forgets its items and buttons; a form without items shows nothing.
        form->clear();
        QVERIFY(!dialog->default_button());
        form->show();
        QCOMPARE(sent.runs, 1);
    }
};

QTEST_MAIN(display_test)
#include "display_test.moc"
