#include "app/scenario/scenario_command.h"

#include <QtGlobal>
#include <fstream>
#include <iostream>
#include <iterator>

#include "app/scenario/scenario_file.h"
#include "app/scenario/scenario_runner.h"
#include "app/scenario/scenario_text.h"
#include "resources/texts.h"

namespace {

constexpr std::streamsize max_file = 1 << 20;

}  // namespace

int run_scenario(const app_options_t& options) {
    const std::string& name = *options.scenario;
    std::ifstream in(name, std::ios::binary);
    if (!in) {
        std::cerr << scenario_text(texts::scenario_cannot_read, {name}) << '\n';
        return 2;
    }
    // Read as it comes, up to one byte past the bound: the run keeps the text, and a whole bound's worth of
    // zeros would stay in the program's memory with it.
    std::string text;
    char buffer[4096];
    while (static_cast<std::streamsize>(text.size()) <= max_file && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
        text.append(buffer, static_cast<size_t>(in.gcount()));
    if (in.bad()) {
        std::cerr << scenario_text(texts::scenario_cannot_read, {name}) << '\n';
        return 2;
    }
    if (static_cast<std::streamsize>(text.size()) > max_file) {
        std::cerr << scenario_text(texts::scenario_too_large, {name, std::to_string(max_file)}) << '\n';
        return 1;
    }
    std::vector<scenario_step_t> steps;
    scenario_error_t error;
    if (!parse_scenario(text, steps, error)) {
        std::cerr << name << ":" << error.line << ": " << error.message << '\n';
        return 1;
    }
    // Qt's own remarks (what the offscreen platform cannot do) only with --verbose.
    if (!options.verbose)
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
        });
    scenario_runner_t runner(name, std::move(steps), std::cout);
    return runner.run(options, options.screenshots);
}
