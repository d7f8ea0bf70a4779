// The archive's string form at every length boundary and the faults of damaged data, on files in memory,
// read both from a mapping and through the buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/memory_file_ops.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "storage/mfc_storage.h"
#include "storage/password.h"

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

    // The string read from the file mapped and from the file read through the buffer (as from a pipe):
    // both must give the same text, or the same error, which is then thrown.
    std::u16string read_string(const bytes_t& payload) {
        set_file(payload);
        std::u16string outcome[2];
        bool failed[2] = {false, false};
        for (int mapped = 0; mapped < 2; ++mapped) {
            ops.mappable = mapped == 1;
            try {
                mfc_storage_t s(u"f", mfc_storage_t::mode_read, u"", ops);
                s.read_string(outcome[mapped]);
            } catch (const mfc_storage_ex_t& e) {
                failed[mapped] = true;
                outcome[mapped] = e.text();
            }
        }
        ops.mappable = false;
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

// Files in memory read as from a pipe (never mapped), whose reads after the first `good_reads` give
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

// Mapped files in memory that record the parts of a mapping the reader says it has passed.
class passed_pages_ops_t final : public file_ops_t {
public:
    memory_file_ops_t files;
    const unsigned char* mapping = nullptr;
    // Each passed part as {offset into the mapping, bytes}.
    std::vector<std::pair<uint64_t, uint64_t>> passed_parts;

    int open_read(const std::string& path) override { return files.open_read(path); }
    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override {
        return files.create_temp(target, temp_path, permissions);
    }
    bool size(int handle, uint64_t& bytes) override { return files.size(handle, bytes); }
    long read(int handle, void* buffer, size_t n) override { return files.read(handle, buffer, n); }
    long write(int handle, const void* buffer, size_t n) override { return files.write(handle, buffer, n); }
    bool fsync(int handle) override { return files.fsync(handle); }
    bool close(int handle) override { return files.close(handle); }
    const void* map(int handle, uint64_t bytes) override {
        mapping = static_cast<const unsigned char*>(files.map(handle, bytes));
        return mapping;
    }
    void unmap(const void* data, uint64_t bytes) override { files.unmap(data, bytes); }
    void passed(const void* data, uint64_t bytes) override {
        passed_parts.emplace_back(uint64_t(static_cast<const unsigned char*>(data) - mapping), bytes);
    }
    bool rename(const std::string& from, const std::string& to) override { return files.rename(from, to); }
    bool fsync_dir(const std::string& dir) override { return files.fsync_dir(dir); }
    bool remove(const std::string& path) override { return files.remove(path); }
};

}  // namespace

// A large mapped file is let go behind the reader in whole pages, one part after the other, never a byte it
// has not yet read: what it lets go may leave memory, and what lies ahead must stay.
TEST(ArchiveReads, PassedPagesOfAMappingAreOnlyThoseAlreadyRead) {
    passed_pages_ops_t ops;
    ops.files.mappable = true;
    const std::u16string text(1000, u'я');
    {
        mfc_storage_t out(u"f", mfc_storage_t::mode_write, u"", ops.files);
        for (int i = 0; i < 1700; ++i) out.write_string(text);  // about 3.4 MB
        ASSERT_TRUE(out.close());
    }
    mfc_storage_t in(u"f", mfc_storage_t::mode_read, u"", ops);
    uint64_t passed_up_to = 0;
    for (int i = 0; i < 1700; ++i) {
        std::u16string read;
        in.read_string(read);
        ASSERT_EQ(read, text) << i;
        for (const auto& [at, bytes] : ops.passed_parts) {
            EXPECT_EQ(at % 4096, 0u);
            EXPECT_EQ(bytes % 4096, 0u);
            passed_up_to = std::max(passed_up_to, at + bytes);
        }
        ASSERT_LE(passed_up_to, in.offset()) << i;
    }
    ASSERT_FALSE(ops.passed_parts.empty());
    uint64_t next = 0;
    for (const auto& [at, bytes] : ops.passed_parts) {
        EXPECT_EQ(at, next);
        next = at + bytes;
    }
    EXPECT_GT(next, uint64_t(2) << 20);
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
