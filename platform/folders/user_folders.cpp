#include "platform/folders/user_folders.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

#ifndef OSTREVAN_DATA_FROM_BIN
#define OSTREVAN_DATA_FROM_BIN "../share/ostrevan"
#endif

namespace {

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

bool given(const std::optional<std::string>& value) {
    return value && !value->empty();
}

}  // namespace

folder_environment_t process_folder_environment() {
    return {variable("OSTREVAN_CONFIG_DIR"), variable("XDG_DATA_HOME"), variable("HOME"), running_executable_folder()};
}

fs::path running_executable_folder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable.parent_path();
}

fs::path script_folder(const std::optional<std::string>& option, const folder_environment_t& env) {
    if (given(option)) return *option;
    if (given(env.config_dir)) return *env.config_dir;
    if (!env.executable_folder.empty()) {
        const fs::path beside = env.executable_folder / "config";
        std::error_code error;
        if (fs::is_regular_file(beside / "config.cfg", error)) return beside;
    }
    return user_data_folder(env);
}

fs::path user_data_folder(const folder_environment_t& env) {
    if (given(env.xdg_data_home) && fs::path(*env.xdg_data_home).is_absolute())
        return fs::path(*env.xdg_data_home) / "ostrevan";
    return fs::path(given(env.home) ? *env.home : ".") / ".local/share/ostrevan";
}

fs::path demo_folder(const folder_environment_t& env) {
    return user_data_folder(env) / "demo";
}

fs::path demo_registry() {
    const auto state = variable("XDG_STATE_HOME");
    const auto home = variable("HOME");
    const fs::path base =
        state && fs::path(*state).is_absolute() ? fs::path(*state) : fs::path(home ? *home : ".") / ".local/state";
    return base / "ostrevan" / "demo" / "registry";
}

fs::path installed_data_folder(const folder_environment_t& env) {
    return (env.executable_folder / OSTREVAN_DATA_FROM_BIN).lexically_normal();
}
