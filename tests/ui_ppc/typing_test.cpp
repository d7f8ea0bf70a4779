// Text entering an input of a shown form every way a user has: typed over a selection, pasted, dropped,
// composed by an input method. Whatever the way, the input type's rules hold.

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include "screens/ppc_input_item.h"
#include "tests/ui_ppc/form_fixture.h"

namespace {

// A shown form with one input; `act` gets its edit box with the focus in it.
void with_input(int type, int max_length, const std::u16string& value, const std::function<void(ppc_edit_t*)>& act,
                bool soft_keys = false) {
    ppc_form_t form(test_device(soft_keys), nullptr, u"");
    auto input = std::make_unique<ppc_input_item_t>(&form, u"Поле");
    input->set_type(type, 0);
    input->set_max_length(max_length);
    test_param_t param;
    param.value = value;
    input->set_param(&param);
    auto* in = input.get();
    form.add_item(std::move(input));
    while_shown(form, [&] { act(in->control()); });
}

// Types `text` into whatever has the focus, one key at a time.
void type_into_focus(const QString& text) {
    for (QChar c : text) {
        QWidget* to = QApplication::focusWidget();
        QVERIFY(to);
        int key = c.isDigit() ? Qt::Key_0 + c.digitValue() : 0;
        type_key(to, key, QString(c));
        type_key(to, key, QString(c), false, QEvent::KeyRelease);
    }
}

QString name_of(const char* way, const char* what) {
    return QString("%1: %2").arg(way, what);
}

}  // namespace

class typing_test : public QObject {
    Q_OBJECT

private slots:
    void typing_replaces_the_selection_under_the_rules_of_each_type() {
        using t = input_item_t::type_t;
        struct case_t {
            const char* name;
            int type;
            int max;
            std::u16string value;
            int select_from, select_length;  // -1: the focus arrives by Tab and selects everything
            QString typed;
            QString after;
        };
        const case_t cases[] = {
            {"amount over a whole amount", t::currency, 10, u"1500.50", -1, 0, "25", "25"},
            {"amount: point over the whole", t::currency, 10, u"1500.50", -1, 0, ".5", ".5"},
            {"amount over its whole part", t::currency, 10, u"1234567.12", 0, 7, "9", "9.12"},
            {"amount over the cents", t::currency, 10, u"1234567.12", 8, 2, "35", "1234567.35"},
            {"amount: a letter keeps the selection's text", t::currency, 10, u"1500.50", -1, 0, "ж", "1500.50"},
            {"numeric: minus over a full box", t::numeric, 3, u"123", -1, 0, "-4", "-4"},
            {"numeric: minus over a middle part", t::numeric, 5, u"12345", 1, 2, "-", "12345"},
            {"phone: plus over the number", t::phone, 12, u"+79001234567", -1, 0, "+8", "+8"},
            {"decimal: point over one with a point", t::decimal, 10, u"1.5", -1, 0, "2.25", "2.25"},
            {"decimal: point over the point", t::decimal, 10, u"1.5", 1, 1, ".", "1.5"},
            {"free text over a full box", t::any, 4, u"Иван", -1, 0, "Пётр", "Пётр"},
            {"email over part of it", t::email, 20, u"ivan@bank.ru", 0, 4, "petr", "petr@bank.ru"},
            {"password over the code", t::password, 4, u"1234", -1, 0, "98", "98"},
        };
        for (const auto& c : cases) {
            with_input(c.type, c.max, c.value, [&](ppc_edit_t* edit) {
                if (c.select_from < 0) {
                    edit->clearFocus();
                    edit->setFocus(Qt::TabFocusReason);
                    QVERIFY2(edit->selectedText() == QString::fromStdU16String(c.value), c.name);
                } else {
                    edit->setFocus();
                    edit->setSelection(c.select_from, c.select_length);
                }
                type_into_focus(c.typed);
                QVERIFY2(edit->text() == c.after, qPrintable(QString("%1: got %2").arg(c.name, edit->text())));
            });
        }
    }

    void pasted_dropped_and_composed_text_obeys_the_rules() {
        using t = input_item_t::type_t;
        enum way_t { paste, drop, compose };
        struct case_t {
            const char* name;
            int type;
            int max;
            QString text;
            QString after;  // the box starts empty
        };
        const case_t cases[] = {
            {"amount with two points and letters", t::currency, 10, "12.345.6abc", ""},
            {"amount with three decimals", t::currency, 10, "12.345", ""},
            {"amount with a whole part too long", t::currency, 10, "12345678", ""},
            {"amount with a comma", t::currency, 10, "1500,50", ""},
            {"amount written with a space", t::currency, 10, "1 500.50", "1500.50"},
            {"amount", t::currency, 10, "1500.5", "1500.5"},
            {"signed number", t::numeric, 10, "-120", "-120"},
            {"minus inside a number", t::numeric, 10, "12-3", ""},
            {"number too long is not cut", t::numeric, 4, "12345", ""},
            {"other digits than 0 to 9", t::numeric, 10, QString::fromUtf16(u"١٢٣"), ""},
            {"phone with spaces", t::phone, 12, "+7 900 1234567", "+79001234567"},
            {"phone with dashes", t::phone, 20, "+7 900 123-45-67", ""},
            {"decimal", t::decimal, 10, "3.14", "3.14"},
            {"decimal with two points", t::decimal, 10, "3.1.4", ""},
            {"free text too long is not cut", t::any, 5, "Владимир", ""},
            {"free text", t::any, 10, "Иван 1-2", "Иван 1-2"},
        };
        for (way_t way : {paste, drop, compose}) {
            const char* way_name = way == paste ? "paste" : way == drop ? "drop" : "input method";
            for (const auto& c : cases) {
                with_input(c.type, c.max, u"", [&](ppc_edit_t* edit) {
                    edit->setFocus();
                    QWidget* to = QApplication::focusWidget();
                    QCOMPARE(to, edit);
                    if (way == paste) {
                        QGuiApplication::clipboard()->setText(c.text);
                        QTest::keySequence(to, QKeySequence::Paste);
                    } else if (way == drop) {
                        QMimeData data;
                        data.setText(c.text);
                        // Straight to the box, as the drag in progress would hand it over.
                        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
                        static_cast<QObject*>(to)->event(&event);
                    } else {
                        QInputMethodEvent event;
                        event.setCommitString(c.text);
                        QApplication::sendEvent(to, &event);
                    }
                    QVERIFY2(edit->text() == c.after,
                             qPrintable(name_of(way_name, c.name) + QString(": got ") + edit->text()));
                });
            }
        }
    }

    void a_number_that_broke_the_rules_when_filled_in_can_still_be_deleted() {
        with_input(input_item_t::numeric, 10, u"12ab", [](ppc_edit_t* edit) {
            edit->setFocus();
            edit->setCursorPosition(4);
            type_into_focus("5");  // refused: the whole would still break the rules
            QCOMPARE(edit->text(), QString("12ab"));
            QTest::keyClick(edit, Qt::Key_Backspace);
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), QString("12"));
            type_into_focus("5");
            QCOMPARE(edit->text(), QString("125"));
        });
        with_input(input_item_t::currency, 10, u"1234567.12", [](ppc_edit_t* edit) {
            // Taking the point out of a full amount leaves a whole part too long to type, but it works.
            edit->setFocus();
            edit->setCursorPosition(8);
            QTest::keyClick(edit, Qt::Key_Backspace);
            QCOMPARE(edit->text(), QString("123456712"));
        });
    }

    void length_setting_zero_sets_no_limit_and_the_key_rules_keep_it() {
        struct case_t {
            const char* name;
            int type;
            QString typed;
            QString after;
        };
        const QString long_text(300, u'ж');
        const QString long_number(300, u'7');
        const case_t cases[] = {
            {"free text of any length", input_item_t::any, long_text, long_text},
            {"digits of any length", input_item_t::numeric, long_number, long_number},
            // The rules that compare with the setting still compare with 0.
            {"minus needs room by the setting", input_item_t::numeric, "-5", "5"},
            {"point in a decimal", input_item_t::decimal, "1.5", "1.5"},
        };
        for (const auto& c : cases) {
            ppc_form_t form(test_device(false), nullptr, u"");
            auto input = std::make_unique<ppc_input_item_t>(&form, u"Поле");
            input->set_type(c.type, 0);
            input->set_max_length(0);
            auto* in = input.get();
            form.add_item(std::move(input));
            while_shown(form, [&] {
                in->control()->setFocus();
                type_into_focus(c.typed);
                QVERIFY2(in->control()->text() == c.after, c.name);
                QGuiApplication::clipboard()->setText("и ещё");
                if (c.type == input_item_t::any) {
                    QTest::keySequence(in->control(), QKeySequence::Paste);
                    QVERIFY2(in->control()->text() == c.after + "и ещё", c.name);
                }
            });
            QCOMPARE(in->max_length(), 0);  // the zero-fill width still reads the setting
        }
    }
};

QTEST_MAIN(typing_test)
#include "typing_test.moc"
