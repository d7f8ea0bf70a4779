#pragma once

#include <QTest>
#include <filesystem>
#include <memory>
#include <utility>

#include "app/kestrelpod_app.h"
#include "app/messaging_host.h"
#include "app/pin_dialogs.h"
#include "messaging/ppc_mapi_ex.h"
#include "messaging/ppc_messaging.h"
#include "resources/texts.h"
#include "screens/message_box.h"
#include "tests/app/dialog_driver.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/fake_store.h"
#include "tests/storage/temp_dir.h"

// The messaging on fakes: the provider records what was sent, the store holds the inbox.
struct fake_messaging_host_t : messaging_host_t {
    fake_provider_t provider;
    fake_store_t store;
    std::unique_ptr<ppc_messaging_t> sender;

    // Runs on the user-interface thread while the next sending dialog is up, as its loop would run things.
    std::function<void()> while_next_send_is_up;

    fake_messaging_host_t() {
        sender = std::make_unique<ppc_messaging_t>(provider.library(), store, [this] {
            auto dialog = std::make_unique<fake_dialog_t>();
            if (auto hook = std::exchange(while_next_send_is_up, nullptr))
                dialog->while_shown = [hook](fake_dialog_t&) { hook(); };
            return dialog;
        });
        sender->set_number(u"+79001234567");
    }
    ppc_messaging_t& messaging() override { return *sender; }
};

// The program on a copy of the demo bank in a fresh folder, with its own registry and runtime folder.
struct app_fixture_t {
    temp_dir_t dir;
    std::filesystem::path config = dir.path() / "config";
    std::filesystem::path registry = dir.path() / "registry";
    fake_messaging_host_t* host = nullptr;
    // Set to make the next start's messaging fail.
    bool messaging_fails = false;
    // Set to start on the simulated modem and bank, as the program does, instead of the fakes.
    bool simulated_bank = false;
    std::function<void(fake_messaging_host_t&)> prepare_messaging;

    app_fixture_t() {
        std::filesystem::create_directories(config);
        const std::filesystem::path demo =
            std::filesystem::path(qgetenv("OSTREVAN_BINARY_DIR").toStdString()) / "resources" / "config";
        for (const char* name : {"config.cfg", "logo.png", "bank-rules.txt"})
            std::filesystem::copy_file(demo / name, config / name);
        for (const char* folder : {"runtime", "state"}) std::filesystem::create_directories(dir.path() / folder);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString((dir.path() / "runtime").string()));
        // The modem's record of received messages.
        qputenv("XDG_STATE_HOME", QByteArray::fromStdString((dir.path() / "state").string()));
        message_box_t::clear_next_answers();
        message_box_t::clear_record();
    }

    std::filesystem::path settings() const { return config / "settings.cfg"; }

    std::unique_ptr<CKestrelpodApp> make(const char* platform = "PocketPC") {
        app_options_t options;
        options.config_dir = config.string();
        options.registry = registry.string();
        options.platform_type = platform;
        if (simulated_bank) return std::make_unique<CKestrelpodApp>(options);
        return std::make_unique<CKestrelpodApp>(options, [this]() -> std::unique_ptr<messaging_host_t> {
            if (messaging_fails) throw ppc_mapi_ex_t(texts::mapi_init_failed);
            auto made = std::make_unique<fake_messaging_host_t>();
            host = made.get();
            if (prepare_messaging) prepare_messaging(*made);
            return made;
        });
    }
};

inline dialog_driver_t::step_t set_new_pin(QString pin) {
    return [pin](QDialog* d) {
        auto* form = qobject_cast<new_pin_form_t*>(d);
        QVERIFY(form);
        QTest::keyClicks(form->pin_edit(), pin);
        QTest::keyClicks(form->repeat_edit(), pin);
        QTest::keyClick(form->repeat_edit(), Qt::Key_Return);
    };
}

// The first start: the new PIN 1234 is set, and the program exits at once, saving the settings.
inline void start_first_time(app_fixture_t& f) {
    dialog_driver_t driver;
    driver.then(set_new_pin("1234"));
    auto app = f.make();
    QVERIFY(app->init_instance());
    app->exit_instance();
}

inline dialog_driver_t::step_t enter_pin(QString pin) {
    return [pin](QDialog* d) {
        auto* form = qobject_cast<old_pin_form_t*>(d);
        QVERIFY(form);
        type_and_enter(form->pin_edit(), pin);
    };
}

inline dialog_driver_t::step_t leave() {
    return [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); };
}

inline QStringList box_texts() {
    QStringList out;
    for (const auto& box : message_box_t::record()) out << box.text;
    return out;
}
