#include "app/app_options.h"

#include <stdexcept>

#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "sim/modem_link.h"

app_options_t parse_app_options(const std::vector<std::string>& args) {
    app_options_t options;
    for (size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a == "--version") {
            options.version = true;
        } else if (a == "--demo") {
            options.demo = true;
        } else if (a == "--verbose") {
            options.verbose = true;
        } else if (!has_value &&
                   (a == "--config-dir" || a == "--registry" || a == "--platform-type" || a == "--modem" ||
                    a == "--screen" || a == "--scenario" || a == "--screenshots" || a == "--trace-startup")) {
            options.error = to_utf8(format_text(texts::app_option_without_value, {from_utf8(a)}));
        } else if (a == "--config-dir") {
            options.config_dir = args[++i];
        } else if (a == "--registry") {
            options.registry = args[++i];
        } else if (a == "--platform-type") {
            options.platform_type = args[++i];
        } else if (a == "--scenario") {
            options.scenario = args[++i];
        } else if (a == "--screenshots") {
            options.screenshots = args[++i];
        } else if (a == "--trace-startup") {
            options.trace_startup = args[++i];
        } else if (a == "--modem") {
            options.modem = args[++i];
        } else if (a == "--screen") {
            const auto size = parse_screen_size(args[++i]);
            if (size)
                options.screen = *size;
            else
                options.error = "--screen " + args[i];
        } else {
            options.error = a;
        }
    }
    if (options.error.empty() && options.screenshots && !options.scenario)
        options.error = to_utf8(texts::app_screenshots_without_scenario);
    // The demo has its own folder and runs on the simulated bank.
    if (options.error.empty() && options.demo && options.config_dir)
        options.error = to_utf8(texts::app_demo_with_config_dir);
    if (options.error.empty() && options.demo && options.modem != "sim")
        options.error = to_utf8(texts::app_demo_with_modem);
    if (options.error.empty()) {
        try {
            parse_modem_uri(options.modem);
        } catch (const std::invalid_argument&) {
            options.error = to_utf8(format_text(texts::app_bad_modem_address, {from_utf8(options.modem)}));
        }
    }
    return options;
}
