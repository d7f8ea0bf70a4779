// The PIN login with its two dialogs, driven as the user does: keys into the PIN boxes, the "Опции" commands,
// "Выход"; every message box answered through the one message-box path.
#include "storage/login.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "app/pin_dialogs.h"
#include "resources/texts.h"
#include "screens/message_box.h"
#include "storage/mfc_storage.h"
#include "tests/app/dialog_driver.h"
#include "tests/storage/temp_dir.h"

namespace {

using step_t = dialog_driver_t::step_t;
using answers_t = std::vector<QMessageBox::StandardButton>;
constexpr auto Yes = QMessageBox::Yes;
constexpr auto No = QMessageBox::No;
constexpr auto Ok = QMessageBox::Ok;

QString text(const char16_t* t) {
    return QString::fromUtf16(t);
}

// Writes an archive holding one string, so that the PIN it was written with can be checked.
void write_settings(const std::u16string& path, const std::u16string& pin, const std::u16string& content) {
    mfc_storage_t out(path, mfc_storage_t::mode_write, pin);
    out.write_string(content);
    QVERIFY(out.close());
}

// The string in an archive, read with `pin`; empty when the PIN is wrong or the file is missing.
std::u16string read_settings(const std::u16string& path, const std::u16string& pin) {
    try {
        mfc_storage_t in(path, mfc_storage_t::mode_read, pin);
        std::u16string content;
        in.read_string(content);
        return content;
    } catch (const std::exception&) {
        return u"";
    }
}

old_pin_form_t* old_form(QDialog* d) {
    return qobject_cast<old_pin_form_t*>(d);
}

// One PIN into the enter-PIN dialog with a command of its "Опции" menu (0 enter, 1 change, 2 new PIN).
void old_pin_command(QDialog* d, const QString& pin, int entry) {
    old_pin_form_t* form = old_form(d);
    QVERIFY(form);
    QTest::keyClicks(form->pin_edit(), pin);
    form->options_menu()->actions().at(entry)->trigger();
}

step_t enter_pins(QStringList pins) {
    return [pins](QDialog* d) {
        QVERIFY(old_form(d));
        for (const QString& pin : pins)
            if (d->isVisible()) type_and_enter(old_form(d)->pin_edit(), pin);
    };
}

step_t new_pin(QString pin, QString repeat) {
    return [pin, repeat](QDialog* d) {
        auto* form = qobject_cast<new_pin_form_t*>(d);
        QVERIFY(form);
        QTest::keyClicks(form->pin_edit(), pin);
        QTest::keyClicks(form->repeat_edit(), repeat);
        QTest::keyClick(form->repeat_edit(), Qt::Key_Return);
    };
}

step_t press_exit() {
    return [](QDialog* d) {
        auto* form = dynamic_cast<soft_key_dialog_t*>(d);
        QVERIFY(form);
        QTest::mouseClick(form->right_soft_key(), Qt::LeftButton);
    };
}

enum class settings_t { none, pin_1234, damaged };

struct login_case_t {
    const char* name;
    settings_t settings;
    std::vector<step_t> steps;
    answers_t answers;
    bool logged_in;
    QStringList titles;
    QStringList messages;
    // Afterwards: the settings file's content read with this PIN (empty: the file is gone or unreadable with it).
    std::u16string pin_after;
    std::u16string content_after;
    // The PIN a save after the login writes with (checked only when logged in).
    std::u16string write_pin;
};

// The screens as the user sees them, when OSTREVAN_SCREENSHOTS names a folder.
void screenshot(QWidget* widget, const char* name) {
    const QByteArray folder = qgetenv("OSTREVAN_SCREENSHOTS");
    if (!folder.isEmpty()) widget->grab().save(QString::fromUtf8(folder) + u'/' + QString::fromUtf8(name) + ".png");
}

}  // namespace

class login_test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        message_box_t::clear_next_answers();
        message_box_t::clear_record();
    }

    void flows() {
        const QString old_title = text(texts::old_pin_title), new_title = text(texts::new_pin_title);
        const QString wrong = text(texts::old_pin_wrong), wrong_change = text(texts::old_pin_wrong_change);
        const std::vector<login_case_t> cases = {
            {"first start", settings_t::none, {new_pin("1234", "1234")}, {}, true, {new_title}, {}, u"", u"", u"1234"},
            {"first start cancelled", settings_t::none, {press_exit()}, {}, false, {new_title}, {}, u"", u"", u""},
            {"right PIN",
             settings_t::pin_1234,
             {enter_pins({"1234"})},
             {},
             true,
             {old_title},
             {},
             u"1234",
             u"old",
             u"1234"},
            {"wrong four times, then right",
             settings_t::pin_1234,
             {enter_pins({"1", "2", "12345", "0000", "1234"})},
             {Ok, Ok, Ok, Ok},
             true,
             {old_title},
             {wrong, wrong, wrong, wrong},
             u"1234",
             u"old",
             u"1234"},
            {"five wrong delete the settings",
             settings_t::pin_1234,
             {enter_pins({"1", "2", "3", "4", "5"})},
             {Ok, Ok, Ok, Ok},
             false,
             {old_title},
             {wrong, wrong, wrong, wrong},
             u"1234",
             u"",
             u""},
            {"five wrong across both commands",
             settings_t::pin_1234,
             {[](QDialog* d) {
                 old_pin_command(d, "1111", 0);
                 old_pin_command(d, "2222", 1);
                 old_pin_command(d, "3333", 0);
                 old_pin_command(d, "4444", 1);
                 old_pin_command(d, "5555", 1);
             }},
             {Ok, Ok, Ok, Ok},
             false,
             {old_title},
             {wrong, wrong_change, wrong, wrong_change},
             u"1234",
             u"",
             u""},
            {"new PIN: No, then Yes",
             settings_t::pin_1234,
             {[](QDialog* d) {
                  old_pin_command(d, "", 2);
                  QVERIFY(d->isVisible());
                  old_pin_command(d, "", 2);
              },
              new_pin("5678", "5678")},
             {No, Yes},
             true,
             {old_title, new_title},
             {text(texts::old_pin_new_warning), text(texts::old_pin_new_warning)},
             u"1234",
             u"",
             u"5678"},
            {"new PIN: Yes, then the new PIN cancelled",
             settings_t::pin_1234,
             {[](QDialog* d) { old_pin_command(d, "", 2); }, press_exit()},
             {Yes},
             false,
             {old_title, new_title},
             {text(texts::old_pin_new_warning)},
             u"1234",
             u"",
             u""},
            {"change PIN",
             settings_t::pin_1234,
             {[](QDialog* d) { old_pin_command(d, "1234", 1); }, new_pin("4321", "4321")},
             {},
             true,
             {old_title, new_title},
             {},
             u"1234",
             u"old",
             u"4321"},
            {"change PIN, then cancel",
             settings_t::pin_1234,
             {[](QDialog* d) { old_pin_command(d, "1234", 1); }, press_exit()},
             {},
             true,
             {old_title, new_title},
             {},
             u"1234",
             u"old",
             u"1234"},
            {"empty PIN, then Выход",
             settings_t::pin_1234,
             {[](QDialog* d) {
                 type_and_enter(old_form(d)->pin_edit(), "");
                 QVERIFY(d->isVisible());
                 QTest::keyClick(old_form(d)->pin_edit(), Qt::Key_Escape);
             }},
             {Ok},
             false,
             {old_title},
             {text(texts::old_pin_empty)},
             u"1234",
             u"old",
             u""},
            {"damaged settings, then a new PIN",
             settings_t::damaged,
             {[](QDialog* d) {
                  type_and_enter(old_form(d)->pin_edit(), "1234");
                  QVERIFY(d->isVisible());
                  old_pin_command(d, "", 2);
              },
              new_pin("2468", "2468")},
             {Ok, Yes},
             true,
             {old_title, new_title},
             {text(texts::storage_damaged), text(texts::old_pin_new_warning)},
             u"",
             u"",
             u"2468"},
            {"new PIN too short, then not repeated, then right",
             settings_t::none,
             {[](QDialog* d) {
                 auto* form = qobject_cast<new_pin_form_t*>(d);
                 new_pin("12", "12")(d);
                 QVERIFY(form->pin_edit()->text().isEmpty() && form->repeat_edit()->text().isEmpty());
                 new_pin("1234", "1235")(d);
                 QVERIFY(form->pin_edit()->text().isEmpty() && form->repeat_edit()->text().isEmpty());
                 // Digits only, and no more than four.
                 new_pin("9a8b7c6d5", "9876")(d);
             }},
             {Ok, Ok},
             true,
             {new_title},
             {text(texts::new_pin_too_short), text(texts::new_pin_mismatch)},
             u"",
             u"",
             u"9876"},
        };
        for (const login_case_t& c : cases) {
            init();
            temp_dir_t dir;
            const std::u16string folder = from_utf8(dir.path().string() + "/");
            write_settings(folder + u"config.cfg", u"", u"defaults");
            const std::u16string settings = folder + u"settings.cfg";
            if (c.settings == settings_t::pin_1234) write_settings(settings, u"1234", u"old");
            if (c.settings == settings_t::damaged) std::ofstream(dir.path() / "settings.cfg") << "x";
            for (auto answer : c.answers) message_box_t::set_next_answer(answer);

            dialog_driver_t driver;
            for (const auto& step : c.steps) driver.then(step);
            pin_login_ui_t ui(ppc_device_t{}, nullptr);
            login_t login(folder, ui);
            const bool logged_in = login.open_settings(u"settings.cfg", u"config.cfg");

            QVERIFY2(logged_in == c.logged_in, c.name);
            QVERIFY2(driver.pending() == 0, c.name);
            QVERIFY2(driver.shown == c.titles, c.name);
            QStringList messages;
            for (const auto& box : message_box_t::record()) messages << box.text;
            QVERIFY2(messages == c.messages, c.name);
            if (c.settings != settings_t::damaged)
                QVERIFY2(read_settings(settings, c.pin_after) == c.content_after, c.name);
            if (!logged_in) continue;
            // The exit writes the settings with the PIN the login settled on.
            mfc_storage_t* out = login.settings_storage();
            QVERIFY(out->open(settings, mfc_storage_t::mode_write));
            out->write_string(u"saved");
            QVERIFY(out->close());
            QVERIFY2(read_settings(settings, c.write_pin) == u"saved", c.name);
        }
    }

    void defaults_file_missing() {
        temp_dir_t dir;
        dialog_driver_t driver;
        message_box_t::set_next_answer(Ok);
        pin_login_ui_t ui(ppc_device_t{}, nullptr);
        login_t login(from_utf8(dir.path().string() + "/"), ui);
        QVERIFY(!login.open_settings(u"settings.cfg", u"config.cfg"));
        QVERIFY(driver.shown.isEmpty());
        QCOMPARE(message_box_t::record().size(), 1);
        QCOMPARE(message_box_t::record()[0].text, text(texts::login_defaults_failed));
        QVERIFY(message_box_t::record()[0].icon == message_box_t::icon_t::error);
    }

    void dialogs_show_their_texts_masked() {
        old_pin_form_t old_form_(ppc_device_t{}, nullptr);
        QCOMPARE(old_form_.windowTitle(), text(texts::old_pin_title));
        QCOMPARE(old_form_.left_soft_key()->text(), text(texts::old_pin_options));
        QCOMPARE(old_form_.right_soft_key()->text(), text(texts::soft_key_exit));
        QStringList entries;
        for (QAction* a : old_form_.options_menu()->actions()) entries << a->text();
        QCOMPARE(entries,
                 (QStringList{text(texts::old_pin_login), text(texts::old_pin_change), text(texts::old_pin_new)}));
        QCOMPARE(old_form_.pin_edit()->echoMode(), QLineEdit::Password);
        QCOMPARE(old_form_.pin_edit()->maxLength(), 32767);
        QTest::keyClicks(old_form_.pin_edit(), "12345");
        screenshot(&old_form_, "pin-enter");
        screenshot(old_form_.options_menu(), "pin-enter-options");

        new_pin_form_t new_form_(ppc_device_t{}, nullptr);
        QCOMPARE(new_form_.windowTitle(), text(texts::new_pin_title));
        QCOMPARE(new_form_.left_soft_key()->text(), text(texts::new_pin_set));
        for (QLineEdit* edit : {new_form_.pin_edit(), new_form_.repeat_edit()}) {
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            QCOMPARE(edit->maxLength(), 4);
        }
        QTest::keyClicks(new_form_.pin_edit(), "12");
        screenshot(&new_form_, "pin-new");
        // On the smallest screen the page scrolls; the soft keys stay.
        ppc_device_t small;
        small.screen = {screen_size_t::min_side, screen_size_t::min_side};
        new_pin_form_t small_form(small, nullptr);
        small_form.show();
        QCoreApplication::processEvents();
        QVERIFY(small_form.left_soft_key()->geometry().bottom() < small_form.height());
        QVERIFY(small_form.repeat_edit()->height() >= small_form.repeat_edit()->sizeHint().height());
        auto* scroll = small_form.findChild<QScrollArea*>();
        QVERIFY(scroll && scroll->verticalScrollBar()->maximum() > 0);
        screenshot(&small_form, "pin-new-small");
    }
};

QTEST_MAIN(login_test)
#include "login_test.moc"
