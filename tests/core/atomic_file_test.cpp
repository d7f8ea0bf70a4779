#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "tests/core/faulty_file_ops.h"

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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);  // no temp file left
}

// The writer the message ledger uses, on a disk that fails at each step in turn: before the rename the old
// file stays and the write is reported failed; after it (the folder's flush) the new file is there but the
// write is still reported failed, since the ledger may only let the modem's copy go once the file is kept.
TEST_F(AtomicFile, EveryFailingStepIsReportedAndLeavesTheOldFileOrTheWholeNewOne) {
    const std::string content(10000, 'n');
    for (int k = 1;; ++k) {
        SCOPED_TRACE(testing::Message() << "failing operation " << k);
        std::ofstream(file, std::ios::trunc) << "old";
        faulty_file_ops_t ops(k, 999);
        fs::path failed;
        const bool written = write_file_atomically(file, content, &failed, ops);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);  // no temp file left
        if (!ops.failed()) {
            EXPECT_TRUE(written);
            EXPECT_EQ(read(file), content);
            EXPECT_GT(k, 10);  // the write took many steps, each of which was made to fail
            break;
        }
        EXPECT_FALSE(written);
        EXPECT_EQ(failed, file);
        EXPECT_EQ(read(file), ops.renamed() ? content : "old");
    }
}

TEST_F(AtomicFile, RenameOverAFolderFailsAndNamesTheFile) {
    const fs::path target = dir / "folder";
    fs::create_directories(target / "x");
    fs::path failed;
    EXPECT_FALSE(write_file_atomically(target, "new", &failed));
    EXPECT_EQ(failed, target);
    EXPECT_TRUE(fs::exists(target / "x"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
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
