// ostrevan: the SMS banking client.
#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/app_options.h"
#include "app/demo_bank.h"
#include "app/kestrelpod_app.h"
#include "app/scenario/scenario_command.h"
#include "app/startup_trace.h"
#include "core/moment_trace.h"
#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "screens/qt_translations.h"
#include "storage/storage_errors.h"

namespace {

int run(int argc, char** argv) {
    // Asking for help or the version needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << to_utf8(texts::app_usage);
            return std::cout.flush() ? 0 : 1;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << to_utf8(format_text(texts::version_line, {u"ostrevan", from_utf8(OSTREVAN_VERSION)}));
            return std::cout.flush() ? 0 : 1;
        }
    }
    // A scenario runs without a display unless the user chose a platform (an X server for screenshots, say).
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--scenario") == 0 && !std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication qt(argc, argv);
    startup_trace::watch_windows();
    // Qt has taken its own options out of argv.
    app_options_t options = parse_app_options(std::vector<std::string>(argv + 1, argv + argc));
    if (!options.error.empty()) {
        std::cerr << to_utf8(format_text(texts::app_bad_arguments, {from_utf8(options.error)})) << '\n';
        return 2;
    }
    if (options.demo) {
        std::u16string error;
        if (!prepare_demo(options, error)) {
            std::cerr << to_utf8(error) << '\n';
            return 1;
        }
    }
    // Qt's own texts (standard buttons, context menus) in Russian, before any window exists.
    install_qt_translations(qt);
    QApplication::setApplicationName(QString::fromUtf16(texts::app_name));

    if (options.scenario) return run_scenario(options);

    CKestrelpodApp app(options);
    if (!app.init_application()) return 0;
    const bool ok = app.init_instance();
    int status = ok ? qt.exec() : 1;
    app.exit_instance();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    startup_trace::begin(argc, argv);
    const int status = run(argc, argv);
    moment_trace::mark("end");
    return status;
}
