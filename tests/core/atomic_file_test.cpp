#include "core/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "core/atomic_writer.h"
#include "core/memory_file_ops.h"
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

// A writer's temporary file left by a process that ended mid-write is removed by the sweep at start; a file of a
// process that still runs, a file a writer of this process holds now, and any other name stay.
TEST_F(AtomicFile, LeftoversOfEndedProcessesAreRemovedAndNothingElse) {
    // A process that has surely ended: a child of ours, waited for.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string ended = std::to_string(child);
    const std::string running = std::to_string(::getppid());
    const std::string own = std::to_string(::getpid());

    atomic_writer_t held(posix_file_ops(), (dir / "settings.cfg").string(), private_file);
    ASSERT_TRUE(held.created());
    struct case_t {
        std::string name;
        bool kept;
    };
    const case_t cases[] = {
        {"settings.cfg.tmp-" + ended + "-0", false},
        {"settings.cfg.tmp-" + ended + "-17", false},
        {"config.cfg.tmp-" + ended + "-3", false},
        {"settings.cfg.tmp-" + own + "-999", false},  // of an earlier process with this id
        {"settings.cfg.tmp-" + running + "-0", true},
        {"settings.cfg.tmp-" + ended, true},  // not a writer's name
        {"settings.cfg.tmp-x-0", true},
        {".tmp-" + ended + "-0", true},
        {"notes.txt", true},
    };
    for (const auto& c : cases) std::ofstream(dir / c.name) << "piece";
    fs::create_directory(dir / ("folder.tmp-" + ended + "-0"));

    EXPECT_EQ(remove_writer_leftovers(posix_file_ops(), dir.string()), 4u);
    for (const auto& c : cases) EXPECT_EQ(fs::exists(dir / c.name), c.kept) << c.name;
    EXPECT_TRUE(fs::exists(dir / ("folder.tmp-" + ended + "-0")));
    // The file the live writer holds is still there, and the write still goes through.
    ASSERT_TRUE(held.write("new", 3));
    EXPECT_EQ(held.commit(), atomic_writer_t::outcome_t::done);
    EXPECT_EQ(read(dir / "settings.cfg"), "new");
}

TEST(WriterLeftovers, SweptInMemoryByTheProcessesThatRun) {
    memory_file_ops_t ops;
    ops.pid = 10;
    ops.running = {20};
    for (const char* name : {"cfg/settings.cfg", "cfg/settings.cfg.tmp-30-1", "cfg/settings.cfg.tmp-20-1",
                             "cfg/settings.cfg.tmp-10-4", "other/settings.cfg.tmp-30-1"})
        ops.files[name] = {1, 2, 3};
    atomic_writer_t held(ops, "cfg/settings.cfg", private_file);
    ASSERT_TRUE(held.created());
    EXPECT_EQ(remove_writer_leftovers(ops, "cfg"), 2u);
    std::set<std::string> left;
    for (const auto& [name, bytes] : ops.files) left.insert(name);
    EXPECT_EQ(left.size(), 4u);
    EXPECT_TRUE(left.count("cfg/settings.cfg.tmp-20-1"));
    EXPECT_TRUE(left.count("other/settings.cfg.tmp-30-1"));
    EXPECT_FALSE(left.count("cfg/settings.cfg.tmp-30-1"));
    EXPECT_FALSE(left.count("cfg/settings.cfg.tmp-10-4"));
}
