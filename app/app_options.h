#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/screen_size.h"

// The program's command line.
struct app_options_t {
    std::optional<std::string> config_dir;     // else by the rule of platform/folders/user_folders.h
    std::optional<std::string> registry;       // else OSTREVAN_REGISTRY, else under $XDG_STATE_HOME
    std::optional<std::string> platform_type;  // else OSTREVAN_PLATFORM_TYPE, else "Smartphone"
    std::string modem = "sim";
    screen_size_t screen;
    std::optional<std::string> scenario;       // runs this scenario file instead of waiting for a user
    std::optional<std::string> screenshots;    // where a scenario's screenshots go
    std::optional<std::string> trace_startup;  // the moments of the start and the exit go there (app/startup_trace.h)
    bool verbose = false;
    bool help = false;
    bool version = false;
    bool demo = false;  // the installed demo bank, in a folder of its own, on the simulated modem
    std::string error;  // what was wrong with the arguments; empty when they were fine
};

// Reads the arguments after the program's name. Qt's own options (-platform ...) are taken out before.
app_options_t parse_app_options(const std::vector<std::string>& args);
