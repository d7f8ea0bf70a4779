// Placing a bank's script into the user's folder: the folder private, settings never touched, the reinstall
// marker only over existing settings, and a failure on the way changes nothing.

#include "platform/folders/script_install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "tests/core/faulty_file_ops.h"

namespace fs = std::filesystem;

namespace {

std::string read_all(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

class ScriptInstall : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-install-" + std::to_string(getpid()));
    fs::path folder = dir / "data" / "ostrevan";
    fs::path registry = dir / "registry";
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    install_outcome_t install(const std::string& script, file_ops_t& ops = posix_file_ops()) {
        return carry_out(plan_install(folder, registry, {{"config.cfg", bytes(script)}}), ops);
    }
    // Every file under the test's folder with its content, to see that nothing changed.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            files[entry.path().string()] = entry.is_regular_file() ? read_all(entry.path()) : "<folder>";
        return files;
    }
};

TEST_F(ScriptInstall, FirstInstallMakesAPrivateFolderAndNoMarker) {
    const install_plan_t plan = plan_install(folder, registry, {{"config.cfg", bytes("v1")}});
    EXPECT_TRUE(plan.make_folder);
    EXPECT_FALSE(plan.set_marker);
    ASSERT_EQ(install("v1").kind, install_outcome_t::kind_t::done);
    EXPECT_EQ(read_all(folder / "config.cfg"), "v1");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_FALSE(fs::exists(reinstall_marker_path(registry)));
}

TEST_F(ScriptInstall, NewScriptOverSettingsSetsTheMarkerAndKeepsTheSettings) {
    ASSERT_EQ(install("v1").kind, install_outcome_t::kind_t::done);
    std::ofstream(folder / "settings.cfg") << "the user's cards";
    const install_plan_t plan = plan_install(folder, registry, {{"config.cfg", bytes("v2")}});
    EXPECT_TRUE(plan.settings_exist && plan.set_marker);
    ASSERT_EQ(carry_out(plan, posix_file_ops()).kind, install_outcome_t::kind_t::done);
    EXPECT_EQ(read_all(folder / "config.cfg"), "v2");
    EXPECT_EQ(read_all(folder / "settings.cfg"), "the user's cards");
    EXPECT_EQ(reinstall_marker_path(registry), registry / "Software" / "Corsendor" / "Quillantora" / "reinstall_flag");
    EXPECT_TRUE(fs::exists(reinstall_marker_path(registry)));

    // The same script again changes nothing.
    fs::remove(reinstall_marker_path(registry));
    const install_plan_t again = plan_install(folder, registry, {{"config.cfg", bytes("v2")}});
    EXPECT_TRUE(again.write.empty());
    EXPECT_EQ(again.same, std::vector<std::string>{"config.cfg"});
    ASSERT_EQ(carry_out(again, posix_file_ops()).kind, install_outcome_t::kind_t::done);
    EXPECT_FALSE(fs::exists(reinstall_marker_path(registry)));
}

// A disk that fails at each step in turn: either the whole new script with its marker, or everything as it was.
TEST_F(ScriptInstall, AFailureAtAnyStepLeavesTheOldScriptAndNoMarker) {
    ASSERT_EQ(install("v1").kind, install_outcome_t::kind_t::done);
    std::ofstream(folder / "settings.cfg") << "the user's cards";
    const auto before = snapshot();
    for (int step = 1; step <= 6; ++step) {
        SCOPED_TRACE(step);
        faulty_file_ops_t ops(step);
        const install_outcome_t outcome = install("v2", ops);
        if (outcome.kind == install_outcome_t::kind_t::failed) {
            EXPECT_EQ(snapshot(), before);
        } else {
            EXPECT_EQ(read_all(folder / "config.cfg"), "v2");
            EXPECT_TRUE(fs::exists(reinstall_marker_path(registry)));
            break;
        }
    }
}

TEST_F(ScriptInstall, AFolderThatCannotBeMadeChangesNothing) {
    std::ofstream(dir / "file") << "in the way";
    folder = dir / "file" / "ostrevan";
    const auto before = snapshot();
    const install_outcome_t outcome = install("v1");
    EXPECT_EQ(outcome.kind, install_outcome_t::kind_t::failed);
    EXPECT_NE(outcome.error, 0);
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
