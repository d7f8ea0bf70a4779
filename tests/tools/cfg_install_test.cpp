// `ostrevan-cfg install` run as a program: the script reaches the user's folder, the reinstall marker only over
// existing settings, settings.cfg never touched, and every refusal names its reason and changes nothing.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "tests/tools/tool_run.h"

namespace fs = std::filesystem;

namespace {

using result_t = tool_result_t;

class CfgInstall : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-cfg-install-" + std::to_string(getpid()));
    fs::path data = dir / "data";  // XDG_DATA_HOME
    fs::path folder = data / "ostrevan";
    fs::path registry = dir / "registry";
    fs::path marker = registry / "Software/Corsendor/Quillantora/reinstall_flag";
    fs::path bank = dir / "bank.cfg";

    void SetUp() override {
        fs::create_directories(dir);
        // Two different scripts: the demo bank and the tools' fixture bank.
        ASSERT_EQ(run("compile " + fixture("bank.xml") + " -o " + (dir / "other.cfg").string()).status, 0);
        fs::copy_file(fs::path(std::getenv("OSTREVAN_BINARY_DIR")) / "resources/config/config.cfg", bank);
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string fixture(const std::string& name) {
        return (fs::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "tests/tools/fixtures" / name).string();
    }

    // Runs the tool as a user would: the folder from XDG_DATA_HOME, no OSTREVAN_CONFIG_DIR.
    result_t run(const std::string& args) {
        const std::string program = "env -u OSTREVAN_CONFIG_DIR XDG_DATA_HOME=" + data.string() +
                                    " OSTREVAN_REGISTRY=" + registry.string() + " " + std::getenv("OSTREVAN_CFG");
        const int status = run_tool(program, args, dir / "out", dir / "err");
        return {status, read_all(dir / "out"), read_all(dir / "err")};
    }

    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            if (entry.path().filename() != "out" && entry.path().filename() != "err")
                files[entry.path().string()] = entry.is_regular_file() ? read_all(entry.path()) : "<folder>";
        return files;
    }
};

TEST_F(CfgInstall, FirstInstallThenANewScriptOverTheUsersSettings) {
    const result_t first = run("install " + bank.string());
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(read_all(folder / "config.cfg"), read_all(bank));
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_NE(first.out.find("Создан каталог " + folder.string()), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("при первом запуске программа попросит задать пин-код"), std::string::npos);

    // The same script again: nothing to do.
    const result_t same = run("install " + bank.string());
    EXPECT_EQ(same.status, 0);
    EXPECT_NE(same.out.find("уже установлен"), std::string::npos) << same.out;

    // The user has settings now; a dry run of a new script says what it would do and does nothing.
    std::ofstream(folder / "settings.cfg") << "the user's cards";
    const auto before = snapshot();
    const result_t dry = run("install " + (dir / "other.cfg").string() + " --dry-run");
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("Пробный запуск: ничего не изменено."), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("метка переустановки " + marker.string()), std::string::npos) << dry.out;
    EXPECT_EQ(snapshot(), before);

    const result_t second = run("install " + (dir / "other.cfg").string());
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(read_all(folder / "config.cfg"), read_all(dir / "other.cfg"));
    EXPECT_EQ(read_all(folder / "settings.cfg"), "the user's cards");
    EXPECT_TRUE(fs::exists(marker));
    EXPECT_NE(second.out.find("Настройки пользователя (" + (folder / "settings.cfg").string() + ") сохранены"),
              std::string::npos)
        << second.out;
}

TEST_F(CfgInstall, RefusalsNameTheReasonAndChangeNothing) {
    // The user's own installation, which a refused install must leave as it is.
    ASSERT_EQ(run("install " + (dir / "other.cfg").string()).status, 0);
    std::ofstream(folder / "settings.cfg") << "the user's cards";
    // A damaged script: cut inside its tree.
    const std::string whole = read_all(bank);
    std::ofstream(dir / "cut.cfg", std::ios::binary) << whole.substr(0, whole.size() / 2);
    // A settings file, scrambled by a PIN, under any name.
    ASSERT_EQ(run("compile " + fixture("bank.xml") + " -o " + (dir / "mine.cfg").string() + " --pin 1234").status, 0);
    fs::create_directories(dir / "named");
    fs::copy_file(bank, dir / "named/settings.cfg");
    // A folder that cannot be written: a file stands where it would be made (refused also to root).
    std::ofstream(dir / "plain-file") << "in the way";

    struct row_t {
        std::string args, message;
    } rows[] = {
        {"install " + (dir / "cut.cfg").string(), (dir / "cut.cfg").string() + ": файл испорчен: "},
        {"install " + (dir / "mine.cfg").string(),
         (dir / "mine.cfg").string() +
             ": это файл настроек пользователя (он зашифрован пин-кодом), а не сценарий банка"},
        {"install " + (dir / "named/settings.cfg").string(),
         (dir / "named/settings.cfg").string() + ": это файл настроек пользователя"},
        {"install " + (dir / "missing.cfg").string(), (dir / "missing.cfg").string() + ": не удаётся прочитать файл"},
        {"install " + bank.string() + " --config-dir " + (dir / "plain-file/ostrevan").string(),
         bank.string() + ": не удаётся записать " + (dir / "plain-file/ostrevan").string() + ": "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args);
        const auto before = snapshot();
        const result_t result = run(row.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err.rfind(row.message, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("сценарий не установлен, ничего не изменено"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_FALSE(fs::exists(marker));

    // Bad usage is status 2.
    for (const char* args : {"install", "install a.cfg b.cfg", "install a.cfg --registry", "install --colour a.cfg"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(run(args).status, 2);
    }
}

}  // namespace
