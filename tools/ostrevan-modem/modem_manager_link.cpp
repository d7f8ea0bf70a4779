#include "tools/ostrevan-modem/modem_manager_link.h"

#include <QCoreApplication>
#include <iostream>

#include "platform/modem_manager/mm_backend.h"

std::unique_ptr<sms_backend_t> open_modem_manager(const std::string& modem, const std::filesystem::path& ledger,
                                                  sms_intake_filter_t intake) {
    // QtDBus wants an application object; the tool has none of its own.
    static int argc = 1;
    static char name[] = "ostrevan-modem";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* application = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)application;
    mm_options_t options;
    options.modem = modem;
    options.ledger_file = ledger;
    options.intake = std::move(intake);
    options.warn = [](const std::string& text) { std::cerr << "ostrevan-modem: " << text << '\n'; };
    // A tool run by hand: a modem that is not there is not waited for long.
    options.send_start_wait = std::chrono::seconds(15);
    auto backend = std::make_unique<mm_backend_t>(std::move(options));
    backend->on_notice([](const std::u16string& notice) {
        std::cerr << "ostrevan-modem: " << QString::fromStdU16String(notice).toStdString() << '\n';
    });
    backend->start();
    return backend;
}
