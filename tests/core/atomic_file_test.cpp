#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (fs::temp_directory_path() / "ostrevan-atomic-XXXXXX").string();
        dir = ::mkdtemp(name.data());
        file = dir / "state";
        std::ofstream(file) << "old";
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir, file;
};

TEST_F(AtomicFile, ReplacesTheFileOwnerOnlyAndMakesMissingFolders) {
    const mode_t saved = ::umask(0);  // so the mode seen is the one the writer asked for
    const fs::path nested = dir / "a" / "b" / "state";
    const bool replaced = write_file_atomically(file, "new\n");
    const bool created = write_file_atomically(nested, "");
    ::umask(saved);

    ASSERT_TRUE(replaced);
    ASSERT_TRUE(created);
    EXPECT_EQ(read(file), "new\n");
    EXPECT_EQ(read(nested), "");
    for (const auto& path : {file, nested})
        EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write) << path;
    EXPECT_FALSE(fs::exists(file.string() + ".tmp"));
}

// Each way the write can fail leaves the old file as it was, no temp file, and names what could not be written.
TEST_F(AtomicFile, FailureLeavesTheOldFile) {
    const fs::path temp = file.string() + ".tmp";
    struct case_t {
        const char* what;
        fs::path target, blocker, failed;
    };
    const case_t cases[] = {
        {"temp file cannot be made", file, temp / "x", temp},
        {"rename over a folder fails", dir / "folder", dir / "folder" / "x", dir / "folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(c.blocker);
        fs::path failed;
        EXPECT_FALSE(write_file_atomically(c.target, "new", &failed));
        EXPECT_EQ(failed, c.failed);
        EXPECT_EQ(read(file), "old");
        EXPECT_TRUE(fs::exists(c.blocker));
        EXPECT_FALSE(fs::is_regular_file(c.target.string() + ".tmp"));
        fs::remove_all(c.blocker.parent_path());
    }
}

TEST_F(AtomicFile, DamagedFileIsSetAsideOverAnOlderOne) {
    std::ofstream(file.string() + ".bad") << "older";
    EXPECT_EQ(set_aside_damaged(file), fs::path(file.string() + ".bad"));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(read(file.string() + ".bad"), "old");
    // Nothing to set aside is not an error.
    EXPECT_EQ(set_aside_damaged(file), fs::path(file.string() + ".bad"));
    EXPECT_EQ(read(file.string() + ".bad"), "old");
}

}  // namespace
