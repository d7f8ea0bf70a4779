// The program's start and exit on the demo bank: the main window, the menu, the settings written at exit and read
// at the next start, and the starts that fail.
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "app/kestrelpod_view.h"
#include "app/main_frame.h"
#include "platform/registry/bank_queue.h"
#include "platform/registry/registry.h"
#include "resources/texts.h"
#include "script/main_tag.h"
#include "storage/mfc_storage.h"
#include "storage/storage_errors.h"
#include "tests/app/app_fixture.h"
#include "vars/string_var.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

QString text(const char16_t* t) {
    return QString::fromUtf16(t);
}

QStringList entries(QMenu* menu) {
    QStringList out;
    for (QAction* action : menu->actions()) out << action->text();
    return out;
}

const QStringList demo_menu{"Баланс", "Выписка", "Платежи", "Мои карты", "Избранное"};

bool opens_with(const std::filesystem::path& file, const std::u16string& pin) {
    try {
        mfc_storage_t storage(from_utf8(file.string()), mfc_storage_t::mode_read, pin);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The screens as the user sees them, when OSTREVAN_SCREENSHOTS names a folder.
void screenshot(QWidget* widget, const char* name) {
    const QByteArray folder = qgetenv("OSTREVAN_SCREENSHOTS");
    if (!folder.isEmpty()) widget->grab().save(QString::fromUtf8(folder) + u'/' + QString::fromUtf8(name) + ".png");
}

}  // namespace

class shell_test : public QObject {
    Q_OBJECT

private slots:
    void start_exit_restart_keeps_what_the_user_had() {
        app_fixture_t f;
        {
            dialog_driver_t driver;
            driver.then(set_new_pin("1234"));
            auto app = f.make();
            QVERIFY(app->init_instance());
            QCOMPARE(driver.shown, QStringList{text(texts::new_pin_title)});
            QVERIFY(app->initialised() && !app->no_save());
            CMainFrame* frame = app->frame();
            QCOMPARE(frame->windowTitle(), text(texts::main_title));
            QCOMPARE(frame->exit_key()->text(), text(texts::soft_key_exit));
            QCOMPARE(frame->menu_key()->text(), text(texts::soft_key_menu));
            // The bank's logo in the middle of the view.
            QVERIFY(app->has_picture());
            QCOMPARE(frame->view()->picture().size(), QSize(200, 100));
            screenshot(frame, "main-window");
            // On a touch screen "Меню" drops down the menu the script fills.
            QCOMPARE(frame->menu_key()->menu(), app->menu());
            // Something of the user's, as a form would leave it.
            global_vars->get_string(u"remembered")->set(u"значение");
            // "Выход" closes the window; the exit writes the settings.
            QTest::mouseClick(frame->exit_key(), Qt::LeftButton);
            QVERIFY(!frame->isVisible());
            app->exit_instance();
        }
        QVERIFY(message_box_t::record().isEmpty());
        QVERIFY(opens_with(f.settings(), u"1234"));
        QVERIFY(!opens_with(f.settings(), u""));

        dialog_driver_t driver;
        driver.then(enter_pin("1234"));
        auto app = f.make();
        QVERIFY(app->init_instance());
        QCOMPARE(driver.shown, QStringList{text(texts::old_pin_title)});
        auto* kept = dynamic_cast<string_var_t*>(global_vars->lookup(u"remembered"));
        QVERIFY(kept);
        QCOMPARE(kept->value, u"значение");
        app->exit_instance();
    }

    // The menus come from the script's lists: this needs the menu tags' behaviour.
    void the_demo_banks_menu_is_offered_in_both_modes() {
        app_fixture_t f;
        for (const char* platform : {"PocketPC", "Smartphone"}) {
            dialog_driver_t driver;
            driver.then(std::filesystem::exists(f.settings()) ? enter_pin("1234") : set_new_pin("1234"));
            auto app = f.make(platform);
            QVERIFY(app->init_instance());
            if (app->is_smartphone()) QTest::mouseClick(app->frame()->menu_key(), Qt::LeftButton);
            QVERIFY(app->menu());
            QCOMPARE(entries(app->menu()), demo_menu);
            screenshot(app->menu(), app->is_smartphone() ? "menu-keypad" : "menu-touch");
            app->menu()->hide();
            app->exit_instance();
        }
    }

    void menu_key_on_a_keypad_phone_builds_a_new_popup_each_time() {
        app_fixture_t f;
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        auto app = f.make("smartphone");
        QVERIFY(app->init_instance());
        QVERIFY(app->is_smartphone());
        QVERIFY(!app->menu());
        QVERIFY(!app->frame()->menu_key()->menu());
        QTest::mouseClick(app->frame()->menu_key(), Qt::LeftButton);
        QPointer<QMenu> first = app->menu();
        QVERIFY(first);
        first->hide();
        QTest::keyClick(app->frame(), Qt::Key_F2);
        QVERIFY(!first);
        QVERIFY(app->menu());
        app->menu()->hide();
        // Commands past the routed range reach nothing.
        app->on_command(37101);
        app->on_command(1);
        QVERIFY(message_box_t::record().isEmpty());
        app->exit_instance();
    }

    void the_reinstall_marker_is_consumed_only_after_a_login() {
        app_fixture_t f;
        start_first_time(f);
        const auto key = registry_key_t::create(f.registry, application_key);
        QVERIFY(key && key->write(reinstall_value, "1"));
        std::string data;
        {
            dialog_driver_t driver;
            driver.then(leave());
            auto app = f.make();
            QVERIFY(!app->init_instance());
            QVERIFY(app->no_save());
            app->exit_instance();
        }
        QVERIFY(key->query(reinstall_value, data, 16));
        {
            dialog_driver_t driver;
            driver.then(enter_pin("1234"));
            auto app = f.make();
            QVERIFY(app->init_instance());
            app->exit_instance();
        }
        QVERIFY(!key->query(reinstall_value, data, 16));
    }

    void a_script_that_does_not_load_is_reported_and_the_settings_stay() {
        app_fixture_t f;
        start_first_time(f);
        // The settings cut short after their head: the PIN is right, the data breaks off.
        auto bytes = read_bytes(f.settings());
        bytes.resize(bytes.size() / 2);
        write_bytes(f.settings(), bytes);

        dialog_driver_t driver;
        driver.then(enter_pin("1234"));
        message_box_t::set_next_answer(QMessageBox::Ok);
        auto app = f.make();
        QVERIFY(!app->init_instance());
        QVERIFY(app->no_save());
        QCOMPARE(message_box_t::record().size(), 1);
        QVERIFY(message_box_t::record()[0].icon == message_box_t::icon_t::error);
        const QString shown = message_box_t::record()[0].text;
        QVERIFY2(shown.startsWith(QString::fromStdU16String(
                     format_text(texts::script_load_failed, {from_utf8(f.settings().string()), u""}))),
                 qPrintable(shown));
        app->exit_instance();
        app.reset();
        QVERIFY(read_bytes(f.settings()) == bytes);
    }

    void a_failed_save_leaves_the_old_settings_and_says_so() {
        app_fixture_t f;
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        auto app = f.make();
        QVERIFY(app->init_instance());
        // Something stands where the settings file should go, and cannot be replaced.
        std::filesystem::create_directories(f.settings() / "in-the-way");
        message_box_t::set_next_answer(QMessageBox::Ok);
        app->exit_instance();
        QCOMPARE(message_box_t::record().size(), 1);
        QVERIFY(message_box_t::record()[0].icon == message_box_t::icon_t::error);
        QCOMPARE(message_box_t::record()[0].text,
                 QString::fromStdU16String(format_text(texts::settings_not_saved, {texts::storage_save_failed})));
        QVERIFY(std::filesystem::is_directory(f.settings() / "in-the-way"));
        app.reset();
        for (const auto& name : f.dir.names()) QVERIFY2(name.find(".tmp") == std::string::npos, name.c_str());
    }

    void without_messaging_the_program_ends_before_the_pin() {
        app_fixture_t f;
        f.messaging_fails = true;
        dialog_driver_t driver;
        message_box_t::set_next_answer(QMessageBox::Ok);
        auto app = f.make();
        QVERIFY(!app->init_instance());
        QVERIFY(app->no_save());
        QVERIFY(driver.shown.isEmpty());
        QCOMPARE(box_texts(), QStringList{text(texts::messaging_start_failed)});
        app->exit_instance();
        QVERIFY(!std::filesystem::exists(f.settings()));
    }

    void a_missing_logo_leaves_the_view_blank() {
        app_fixture_t f;
        std::filesystem::remove(f.config / "logo.png");
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        auto app = f.make();
        QVERIFY(app->init_instance());
        QVERIFY(!app->has_picture());
        QVERIFY(app->frame()->view()->picture().isNull());
        app->exit_instance();
    }

    void the_logo_is_centred_and_cut_evenly() {
        CKestrelpodView view(nullptr);
        view.resize(100, 50);
        QPixmap small(40, 20);
        view.set_picture(small);
        QCOMPARE(view.picture_origin(), QPoint(30, 15));
        QPixmap large(121, 71);
        view.set_picture(large);
        QCOMPARE(view.picture_origin(), QPoint(-10, -10));
    }
};

QTEST_MAIN(shell_test)
#include "shell_test.moc"
