// The save path on a disk that fails at each of its steps in turn: the old file must survive every failure
// before the rename, the new one must be complete after it, and every failure must be reported.
#include <gtest/gtest.h>

#include "resources/texts.h"
#include "storage/mfc_storage.h"
#include "tests/core/faulty_file_ops.h"
#include "tests/storage/temp_dir.h"

namespace {

enum class finish_t { close, open_other, read };

// Writes enough to fill the archive's buffer several times, then finishes the write the given way.
// Returns the reported error, empty on success.
std::u16string save(const std::u16string& path, file_ops_t& ops, finish_t how) {
    try {
        mfc_storage_t s(path, mfc_storage_t::mode_write, u"1234", ops);
        for (int i = 0; i < 40; ++i) s.write_int(i).write_string(std::u16string(100 + i, u'н'));
        switch (how) {
            case finish_t::close:
                return s.close() ? u"" : s.last_error;
            case finish_t::open_other:
                return s.open(path, mfc_storage_t::mode_read) ? u"" : s.last_error;
            case finish_t::read: {
                int32_t n;
                s.read_int(n);
                return u"";
            }
        }
    } catch (const mfc_storage_ex_t& e) {
        return e.text();
    }
    return u"unreachable";
}

TEST(SaveFaults, EveryFailingStepKeepsTheOldFileOrCompletesTheNewOne) {
    temp_dir_t dir;
    const auto file = dir.path() / "settings.cfg";
    const std::u16string path = dir.file("settings.cfg");

    ASSERT_EQ(save(path, posix_file_ops(), finish_t::close), u"");
    const auto new_content = read_bytes(file);
    const std::vector<unsigned char> old_content = {0xFF, 0xFE, 0xFF, 0x01, 'x', 0};

    for (finish_t how : {finish_t::close, finish_t::open_other, finish_t::read}) {
        for (int k = 1;; ++k) {
            SCOPED_TRACE(testing::Message() << "finish " << static_cast<int>(how) << ", failing operation " << k);
            write_bytes(file, old_content);
            faulty_file_ops_t ops(k);
            std::u16string error = save(path, ops, how);
            EXPECT_EQ(dir.names(), std::vector<std::string>{"settings.cfg"});
            if (!ops.failed()) {
                EXPECT_EQ(error, u"");
                EXPECT_EQ(read_bytes(file), new_content);
                EXPECT_GT(k, 10);  // the save took many steps, each of which was made to fail
                break;
            }
            if (!ops.renamed()) {
                EXPECT_EQ(read_bytes(file), old_content);
                EXPECT_EQ(error, k == 1 ? texts::storage_cannot_open_write : texts::storage_save_failed);
            } else {
                // Only the folder sync comes after the rename.
                EXPECT_EQ(read_bytes(file), new_content);
                EXPECT_EQ(error, texts::storage_save_unconfirmed);
            }
        }
    }
}

}  // namespace
