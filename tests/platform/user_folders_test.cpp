// The script folder rule, as a table over what it looks at, and the executable's folder taken from the process.

#include "platform/folders/user_folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

class UserFolders : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-folders-" + std::to_string(getpid()));
    fs::path with_script = dir / "with" / "bin";         // bin/config/config.cfg is there
    fs::path with_empty_config = dir / "empty" / "bin";  // bin/config/ holds no config.cfg
    fs::path bare = dir / "bare" / "bin";

    void SetUp() override {
        fs::create_directories(with_script / "config");
        std::ofstream(with_script / "config" / "config.cfg") << "x";
        fs::create_directories(with_empty_config / "config");
        std::ofstream(with_empty_config / "config" / "settings.cfg") << "x";
        fs::create_directories(bare);
    }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(UserFolders, ScriptFolderByTheRuleInOrder) {
    struct row_t {
        const char* what;
        std::optional<std::string> option;
        folder_environment_t env;
        fs::path expected;
    };
    const auto none = std::nullopt;
    const row_t rows[] = {
        {"the option first", "/opt/c", {"/env/c", "/data", "/home/u", with_script}, "/opt/c"},
        {"an empty option counts as none", "", {"/env/c", "/data", "/home/u", with_script}, "/env/c"},
        {"then OSTREVAN_CONFIG_DIR", none, {"/env/c", "/data", "/home/u", with_script}, "/env/c"},
        {"an empty variable counts as none", none, {"", "/data", "/home/u", with_script}, with_script / "config"},
        {"then config/ beside the executable holding config.cfg",
         none,
         {none, "/data", "/home/u", with_script},
         with_script / "config"},
        {"config/ without config.cfg is passed over",
         none,
         {none, "/data", "/home/u", with_empty_config},
         "/data/ostrevan"},
        {"no config/ beside the executable", none, {none, "/data", "/home/u", bare}, "/data/ostrevan"},
        {"an unknown executable folder", none, {none, "/data", "/home/u", {}}, "/data/ostrevan"},
        {"XDG_DATA_HOME unset: ~/.local/share", none, {none, none, "/home/u", bare}, "/home/u/.local/share/ostrevan"},
        {"XDG_DATA_HOME empty", none, {none, "", "/home/u", bare}, "/home/u/.local/share/ostrevan"},
        {"a relative XDG_DATA_HOME is ignored", none, {none, "data", "/home/u", bare}, "/home/u/.local/share/ostrevan"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(script_folder(row.option, row.env), row.expected);
    }
    EXPECT_EQ(demo_folder({none, "/data", "/home/u", bare}), "/data/ostrevan/demo");
}

// Found from the running process, whatever argv[0] says: this test program lies in the build's tests/platform.
TEST_F(UserFolders, ExecutableFolderIsTheRunningProgramsOwn) {
    const fs::path expected = fs::path(std::getenv("OSTREVAN_BINARY_DIR")) / "tests" / "platform";
    EXPECT_TRUE(fs::equivalent(running_executable_folder(), expected)) << running_executable_folder();
    EXPECT_EQ(process_folder_environment().executable_folder, running_executable_folder());
}

}  // namespace
