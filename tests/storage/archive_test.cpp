// The archive's string form at every length boundary and the faults of damaged data, on files in memory,
// read both a whole buffer and a few bytes at a time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/memory_file_ops.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "storage/mfc_storage.h"
#include "storage/password.h"
#include "tests/storage/temp_dir.h"

namespace {

using bytes_t = std::vector<unsigned char>;

// The header of a file without password: the string "mfc arhive" in clear, 24 bytes.
bytes_t plain_header() {
    bytes_t b = {0xFF, 0xFE, 0xFF, 0x0A};
    for (char16_t c : std::u16string(u"mfc arhive")) {
        b.push_back(static_cast<unsigned char>(c));
        b.push_back(0);
    }
    return b;
}

struct archive_fixture : ::testing::Test {
    memory_file_ops_t ops;

    bytes_t written_string(const std::u16string& text) {
        mfc_storage_t s(u"f", mfc_storage_t::mode_write, u"", ops);
        s.write_string(text);
        EXPECT_TRUE(s.close()) << to_utf8(s.last_error);
        return bytes_t(ops.files["f"].begin() + 24, ops.files["f"].end());
    }

    void set_file(const bytes_t& payload) {
        bytes_t b = plain_header();
        b.insert(b.end(), payload.begin(), payload.end());
        ops.files["f"] = b;
    }

    // The string read from the file in whole buffers and in short reads (as from a pipe):
    // both must give the same text, or the same error, which is then thrown.
    std::u16string read_string(const bytes_t& payload) {
        set_file(payload);
        std::u16string outcome[2];
        bool failed[2] = {false, false};
        for (int piecemeal = 0; piecemeal < 2; ++piecemeal) {
            ops.max_read = piecemeal == 1 ? 7 : 0;
            try {
                mfc_storage_t s(u"f", mfc_storage_t::mode_read, u"", ops);
                s.read_string(outcome[piecemeal]);
            } catch (const mfc_storage_ex_t& e) {
                failed[piecemeal] = true;
                outcome[piecemeal] = e.text();
            }
        }
        ops.max_read = 0;
        EXPECT_EQ(failed[0], failed[1]);
        EXPECT_EQ(outcome[0], outcome[1]);
        if (failed[1]) throw mfc_storage_ex_t(outcome[1]);
        return outcome[1];
    }
};

TEST_F(archive_fixture, LengthEscapesAtTheirBoundaries) {
    struct {
        size_t length;
        bytes_t prefix;  // marker and length
    } cases[] = {
        {0, {0xFF, 0xFE, 0xFF, 0x00}},
        {254, {0xFF, 0xFE, 0xFF, 0xFE}},
        {255, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        std::u16string text(c.length, u'ж');
        if (!text.empty()) text.back() = u'!';
        bytes_t got = written_string(text);
        ASSERT_EQ(got.size(), c.prefix.size() + 2 * c.length) << c.length;
        EXPECT_EQ(bytes_t(got.begin(), got.begin() + static_cast<long>(c.prefix.size())), c.prefix) << c.length;
        EXPECT_EQ(read_string(got), text) << c.length;
    }
}

TEST_F(archive_fixture, ReadsEveryLengthFormTheWriterCouldUse) {
    struct {
        const char* what;
        bytes_t payload;
        std::u16string text;
    } cases[] = {
        {"32-bit length", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 'a', 0, 'b', 0, 'c', 0}, u"abc"},
        {"64-bit length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0, 0, 0, 0, 0x16, 0x04, 0x4F, 0x04},
         u"Жя"},
        {"8-bit, one-byte length", {2, 0xC6, 0xFF}, u"Жя"},
        {"8-bit, 16-bit length", {0xFF, 2, 0, 0xB8, 0xB9}, u"ё№"},
        {"8-bit, 32-bit length", {0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0x41}, u"A"},
        {"8-bit, unassigned byte", {1, 0x98}, u"\xFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(read_string(c.payload), c.text) << c.what;
}

TEST_F(archive_fixture, DamagedDataIsAnErrorNamingItsOffset) {
    struct {
        const char* what;
        bytes_t payload;
        std::u16string message;
    } cases[] = {
        {"length past the end",
         {0xFF, 0xFE, 0xFF, 3, 'a', 0, 'b', 0},
         u"Файл настроек испорчен: длина строки 3 на смещении 24 больше остатка файла"},
        {"huge 32-bit length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF},
         u"Файл настроек испорчен: длина строки 4294967280 на смещении 24 больше остатка файла"},
        {"huge 64-bit length",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0x80},
         u"Файл настроек испорчен: длина строки 9223372036854775808 на смещении 24 больше остатка файла"},
        {"odd byte left for a unit",
         {0xFF, 0xFE, 0xFF, 1, 'a'},
         u"Файл настроек испорчен: длина строки 1 на смещении 24 больше остатка файла"},
        {"second marker",
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0},
         u"Файл настроек испорчен: повторная метка строки на смещении 24"},
        {"cut inside the length", {0xFF, 0xFE}, u"Файл настроек испорчен: данные обрываются на смещении 26"},
        {"nothing left", {}, u"Файл настроек испорчен: данные обрываются на смещении 24"},
    };
    for (const auto& c : cases) {
        try {
            read_string(c.payload);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const mfc_storage_ex_t& e) {
            EXPECT_EQ(e.text(), c.message) << c.what;
        }
    }
}

TEST_F(archive_fixture, IntegersAndFlagsAreLittleEndianAndAnyNonZeroByteIsTrue) {
    set_file({0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x01});
    mfc_storage_t s(u"f", mfc_storage_t::mode_read, u"", ops);
    int32_t a = 0, b = 0;
    bool t = false, f = true;
    s.read_int(a).read_int(b).read_bool(t).read_bool(f);
    EXPECT_EQ(a, 0x12345678);
    EXPECT_EQ(b, -1);
    EXPECT_TRUE(t);
    EXPECT_FALSE(f);
    EXPECT_EQ(s.offset(), 34u);
    try {
        s.read_int(a);
        ADD_FAILURE() << "read past the end";
    } catch (const mfc_storage_ex_t& e) {
        EXPECT_EQ(e.text(), u"Файл настроек испорчен: данные обрываются на смещении 36");
    }
}

}  // namespace

namespace {

// Files in memory whose reads after the first `good_reads` give
// `later` (-1: an I/O error; 0: the file has become shorter than when it was opened).
class breaking_reads_ops_t final : public file_ops_t {
public:
    breaking_reads_ops_t(int good_reads, long later) : good_reads_(good_reads), later_(later) {}

    memory_file_ops_t files;

    int open_read(const std::string& path) override { return files.open_read(path); }
    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override {
        return files.create_temp(target, temp_path, permissions);
    }
    bool size(int handle, uint64_t& bytes) override { return files.size(handle, bytes); }
    long read(int handle, void* buffer, size_t n) override {
        return good_reads_-- > 0 ? files.read(handle, buffer, n) : later_;
    }
    long write(int handle, const void* buffer, size_t n) override { return files.write(handle, buffer, n); }
    bool fsync(int handle) override { return files.fsync(handle); }
    bool close(int handle) override { return files.close(handle); }
    bool rename(const std::string& from, const std::string& to) override { return files.rename(from, to); }
    bool fsync_dir(const std::string& dir) override { return files.fsync_dir(dir); }
    bool remove(const std::string& path) override { return files.remove(path); }

private:
    int good_reads_;
    long later_;
};

// What a reading of ints or of strings gets before it fails, and the failure.
struct read_outcome_t {
    int values = 0;
    std::u16string error;
    bool operator==(const read_outcome_t&) const = default;
};

// Reads ints or strings from the file as the program does until it fails; after `cut_after` values, cuts the
// file to `cut_to` bytes through a handle of its own, as another process would.
read_outcome_t read_until_failure(const std::u16string& path, bool strings, int cut_after = -1, uint64_t cut_to = 0) {
    read_outcome_t outcome;
    try {
        mfc_storage_t in(path, mfc_storage_t::mode_read, u"1234");
        for (;; ++outcome.values) {
            if (outcome.values == cut_after) {
                const int other = ::open(to_utf8(path).c_str(), O_WRONLY | O_CLOEXEC);
                EXPECT_GE(other, 0);
                EXPECT_EQ(::ftruncate(other, off_t(cut_to)), 0);
                ::close(other);
            }
            int32_t n = 0;
            std::u16string text;
            if (strings)
                in.read_string(text);
            else
                in.read_int(n);
        }
    } catch (const mfc_storage_ex_t& e) {
        outcome.error = e.text();
    }
    return outcome;
}

}  // namespace

// A file that another process cuts short while it is read is "cut short" at the offset where it now ends,
// as a file that was that short from the start: never a crash, never values from past the cut.
TEST(ArchiveReads, AFileCutShortWhileReadFailsAsAShortFileWould) {
    const struct {
        const char* what;
        bool strings;
        uint64_t cut_to;  // 24 bytes of header, then 4-byte ints or 204-byte strings
        std::u16string message;
    } cases[] = {
        {"inside an int", false, 24 + 4 * 3000 + 2, u"Файл настроек испорчен: данные обрываются на смещении 12026"},
        {"between ints", false, 24 + 4 * 2000, u"Файл настроек испорчен: данные обрываются на смещении 8024"},
        {"between strings", true, 24 + 204 * 60, u"Файл настроек испорчен: данные обрываются на смещении 12264"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        temp_dir_t dir;
        const std::u16string path = dir.file("config.cfg");
        {
            mfc_storage_t out(path, mfc_storage_t::mode_write, u"1234");
            for (int i = 0; i < 5000; ++i) {
                if (c.strings)
                    out.write_string(std::u16string(100, u'ж'));
                else
                    out.write_int(i);
            }
            ASSERT_TRUE(out.close());
        }
        const std::vector<unsigned char> whole = read_bytes(dir.path() / "config.cfg");
        ASSERT_GT(whole.size(), c.cut_to + 4096);

        // Cut after the first few values: the reader is then well inside the file.
        const read_outcome_t cut_while_read = read_until_failure(path, c.strings, 5, c.cut_to);
        EXPECT_EQ(cut_while_read.error, c.message);

        EXPECT_EQ(read_until_failure(path, c.strings), cut_while_read);
    }
}

// A read that breaks inside a long string names the offset where it broke, and leaves the text being read
// into as it was.
TEST(ArchiveReads, ABrokenReadInsideAStringNamesItsOffsetAndKeepsTheText) {
    bytes_t file = plain_header();
    file.insert(file.end(), {0xFF, 0xFE, 0xFF, 0xFF, 0xB8, 0x0B});  // 3000 units, more than one read holds
    file.resize(file.size() + 6000, 0x44);
    const struct {
        long later;
        std::u16string message;
    } cases[] = {
        {-1, u"Ошибка чтения файла настроек на смещении 4096"},
        {0, u"Файл настроек испорчен: данные обрываются на смещении 4096"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.later);
        breaking_reads_ops_t ops(1, c.later);
        ops.files.files["f"] = file;
        mfc_storage_t s(u"f", mfc_storage_t::mode_read, u"", ops);
        std::u16string text = u"прежний";
        try {
            s.read_string(text);
            ADD_FAILURE() << "read";
        } catch (const mfc_storage_ex_t& e) {
            EXPECT_EQ(e.text(), c.message);
        }
        EXPECT_EQ(text, u"прежний");
    }
}
