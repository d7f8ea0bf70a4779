// The bank script of tests/script/scripts/bank.xml on the real screens: its lists become the main menu, and a
// script item chosen there opens the form its tags built.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "tests/support/script_fixture.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

const std::string bank = OSTREVAN_TEST_SCRIPTS "/bank.cfg";

// The command of the entry reached through `path` (sub-menu texts, then the entry's text); 0 when absent.
int command_of(QMenu& menu, const QStringList& path) {
    for (QAction* a : menu.actions()) {
        if (a->text() != path.front()) continue;
        if (path.size() == 1) return a->data().toInt();
        if (a->menu()) return command_of(*a->menu(), path.mid(1));
    }
    return 0;
}

// What the shown form holds: the texts of its labels and the number of its inputs.
struct seen_t {
    QStringList labels;
    int inputs = 0;
    bool shown = false;
};

// Runs menu command `id` and looks at the form it opens, which the user then leaves with "Назад".
seen_t run_command(ppc_display_t& display, int id) {
    seen_t seen;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<ppc_form_t*>(QApplication::activeModalWidget());
        if (!form) return;
        seen.shown = true;
        for (QLabel* label : form->page()->findChildren<QLabel*>()) seen.labels << label->text();
        seen.inputs = static_cast<int>(form->page()->findChildren<QLineEdit*>().size());
        form->command(ppc_form_t::cancel_command);
    });
    display.dispatch_command(id);
    return seen;
}

}  // namespace

class script_screens_test : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        message_box_t::clear_next_answers();
        message_box_t::clear_record();
    }

    void chosen_item_opens_the_form_its_tags_made() {
        for (bool soft_keys : {true, false}) {
            ppc_display_t display(test_device(soft_keys), nullptr);
            script_fixture_t script(bank, &display);
            QMenu root;
            display.reset_menu(&root);
            script.root->show();

            const int transfer = command_of(root, {"Перевод"});
            QVERIFY(transfer >= ppc_display_t::first_command);
            // The enter alert comes first, through the one message box path.
            message_box_t::set_next_answer(QMessageBox::Ok);
            const seen_t seen = run_command(display, transfer);
            QVERIFY(seen.shown);
            QCOMPARE(message_box_t::record().size(), 1);
            QCOMPARE(message_box_t::record().front().text, QString("Здравствуйте, Иван!"));
            QCOMPARE(seen.inputs, 2);
            for (const char* text :
                 {"[-]Перевод для Иван", "Подсказка формы", "Сумма", "Ввод:", "Выберите:", "Уведомлять"}) {
                bool found = false;
                for (const QString& label : seen.labels) found = found || label.contains(QString::fromUtf8(text));
                QVERIFY2(found, text);
            }
            cleanup();
        }
    }

    void items_of_sub_menus_open_their_forms_too() {
        ppc_display_t display(test_device(true), nullptr);
        script_fixture_t script(bank, &display);
        QMenu root;
        display.reset_menu(&root);
        script.root->show();

        // Both names of the sub-menu lead to the same item; the sub-menu without a name is not in the menu.
        const int by_first = command_of(root, {"Платежи", "Связь"});
        const int by_second = command_of(root, {"Оплата", "Связь"});
        QVERIFY(by_first != 0 && by_second != 0);
        QCOMPARE(command_of(root, {"Скрытый"}), 0);
        const seen_t seen = run_command(display, by_second);
        QVERIFY(seen.shown);
        QVERIFY(seen.labels.contains("[-]Оплата связи"));
    }
};

QTEST_MAIN(script_screens_test)
#include "script_screens_test.moc"
