#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Where the program finds the bank's script and keeps the user's data. One rule, used by the program and by
// `ostrevan-cfg install`:
//   1. --config-dir DIR;
//   2. the environment variable OSTREVAN_CONFIG_DIR;
//   3. config/ beside the running executable, when that folder holds config.cfg (the build tree, a
//      self-contained copy);
//   4. the user's own $XDG_DATA_HOME/ostrevan/ (~/.local/share/ostrevan/).
// The executable's folder comes from the running executable itself, never from argv[0]: started by name
// through PATH, argv[0] names no folder.

// What the rule looks at, read once from the process so that the rule itself can be tested as a table.
struct folder_environment_t {
    std::optional<std::string> config_dir;     // OSTREVAN_CONFIG_DIR
    std::optional<std::string> xdg_data_home;  // XDG_DATA_HOME
    std::optional<std::string> home;           // HOME
    std::filesystem::path executable_folder;   // empty when it cannot be found
};

// The process's own environment and executable.
folder_environment_t process_folder_environment();

// The running executable's folder, from /proc/self/exe; empty when the link cannot be read.
std::filesystem::path running_executable_folder();

// The script folder by the rule above. An empty value counts as unset.
std::filesystem::path script_folder(const std::optional<std::string>& option, const folder_environment_t& env);

// The user's data folder: $XDG_DATA_HOME/ostrevan (a relative XDG_DATA_HOME is ignored, as the XDG base
// directory rules say), else ~/.local/share/ostrevan.
std::filesystem::path user_data_folder(const folder_environment_t& env);

// The demo bank's own folder, so that trying the program never touches the user's bank data.
std::filesystem::path demo_folder(const folder_environment_t& env);

// The demo's own registry (its reinstall marker and queue), beside the user's registry:
// $XDG_STATE_HOME/ostrevan/demo/registry.
std::filesystem::path demo_registry();

// The installed program's shared data (share/ostrevan), found relative to the executable's folder so that an
// installation can be moved as a whole.
std::filesystem::path installed_data_folder(const folder_environment_t& env);
