// Opening, password checks, mode changes and the file on disk.
#include "storage/mfc_storage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "resources/texts.h"
#include "tests/storage/temp_dir.h"

namespace {

std::filesystem::path fixture(const std::string& name) {
    return std::filesystem::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "tests/storage/data" / name;
}

std::u16string fixture_path(const std::string& name) {
    return from_utf8(fixture(name).string());
}

TEST(MfcStorage, WritesTheExactScrambledFormOfAPinFile) {
    temp_dir_t dir;
    mfc_storage_t s(dir.file("settings.cfg"), mfc_storage_t::mode_write, u"1234");
    s.write_int(7).write_bool(true).write_string(u"ab");
    ASSERT_TRUE(s.close()) << to_utf8(s.last_error);
    EXPECT_EQ(read_bytes(dir.path() / "settings.cfg"), read_bytes(fixture("pin1234.cfg")));
}

TEST(MfcStorage, ReadsFilesOfOtherWriters) {
    mfc_storage_t plain(fixture_path("plain.cfg"));
    std::u16string text;
    int32_t n = 0;
    plain.read_string(text).read_int(n);
    EXPECT_EQ(text, u"Привет");
    EXPECT_EQ(n, -1);

    // Marker-less strings are Windows-1251.
    mfc_storage_t ansi(fixture_path("ansi.cfg"));
    ansi.read_string(text);
    EXPECT_EQ(text, u"Привет");
    ansi.read_string(text);
    EXPECT_EQ(text, std::u16string(256, u'я'));
}

TEST(MfcStorage, FailedOpeningsThrowTheirClassAndMessage) {
    enum kind_t { open_file, wrong_pass, none };
    struct {
        const char* file;
        std::u16string password;
        kind_t kind;
        std::u16string message;
    } cases[] = {
        {"missing.cfg", u"", open_file, texts::storage_cannot_open_read},
        {"empty.cfg", u"", open_file, u"Файл настроек испорчен, для создания нового, выберите \"Новый пин-код\""},
        {"cut_header.cfg", u"", open_file, texts::storage_damaged},
        {"not_archive.cfg", u"", open_file, texts::storage_damaged},
        {"pin1234.cfg", u"0000", wrong_pass, u"Неверный пароль"},
        {"pin1234.cfg", u"", wrong_pass, texts::storage_wrong_password},
        {"plain.cfg", u"1234", wrong_pass, texts::storage_wrong_password},
        {"pin1234.cfg", u"1234", none, u""},
        {"pin1234.cfg", u"1025", none, u""},  // the check is only as strong as the 16-bit key
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        try {
            mfc_storage_t s(fixture_path(c.file), mfc_storage_t::mode_read, c.password);
            EXPECT_EQ(c.kind, none);
            EXPECT_TRUE(s.is_open());
        } catch (const mfc_storage_wrong_pass_ex_t& e) {
            EXPECT_EQ(c.kind, wrong_pass);
            EXPECT_EQ(e.text(), c.message);
        } catch (const mfc_storage_open_file_ex_t& e) {
            EXPECT_EQ(c.kind, open_file);
            EXPECT_EQ(e.text(), c.message);
        }
    }
}

TEST(MfcStorage, OpenReportsFailureInLastError) {
    temp_dir_t dir;
    mfc_storage_t s(fixture_path("plain.cfg"));
    EXPECT_FALSE(s.open(dir.file("missing.cfg"), mfc_storage_t::mode_read));
    EXPECT_EQ(s.last_error, texts::storage_cannot_open_read);
    EXPECT_FALSE(s.is_open());
    EXPECT_FALSE(s.open(dir.file("no-such-folder/settings.cfg"), mfc_storage_t::mode_write));
    EXPECT_EQ(s.last_error, texts::storage_cannot_open_write);
    EXPECT_TRUE(s.open(fixture_path("plain.cfg"), mfc_storage_t::mode_read));
}

TEST(MfcStorage, ChangingModeClosesAndReopensTheSameFile) {
    temp_dir_t dir;
    const std::u16string path = dir.file("settings.cfg");
    mfc_storage_t s(path, mfc_storage_t::mode_write, u"4321");
    s.write_string(u"first").write_int(1);
    // Reading puts what was written in place and starts after the header.
    std::u16string text;
    int32_t n = 0;
    s.read_string(text).read_int(n);
    EXPECT_EQ(text, u"first");
    EXPECT_EQ(n, 1);
    EXPECT_EQ(s.mode(), mfc_storage_t::mode_read);
    // The first write after reading starts a new file: the old content is gone once it is closed.
    s.write_string(u"second");
    ASSERT_TRUE(s.close());
    mfc_storage_t again(path, mfc_storage_t::mode_read, u"4321");
    again.read_string(text);
    EXPECT_EQ(text, u"second");
    EXPECT_THROW(again.read_int(n), mfc_storage_ex_t);
}

TEST(MfcStorage, WritePasswordAppliesFromTheNextWriteOpening) {
    temp_dir_t dir;
    const std::u16string path = dir.file("settings.cfg");
    {
        mfc_storage_t s(path, mfc_storage_t::mode_write, u"1111");
        s.write_string(u"card");
        ASSERT_TRUE(s.close());
    }
    mfc_storage_t s(path, mfc_storage_t::mode_read, u"1111");
    s.set_write_password(u"2222");
    std::u16string text;
    s.read_string(text);
    EXPECT_EQ(text, u"card");
    s.write_string(text);
    ASSERT_TRUE(s.close());
    EXPECT_THROW(mfc_storage_t(path, mfc_storage_t::mode_read, u"1111"), mfc_storage_wrong_pass_ex_t);
    mfc_storage_t renewed(path, mfc_storage_t::mode_read, u"2222");
    renewed.read_string(text);
    EXPECT_EQ(text, u"card");
}

TEST(MfcStorage, SavedFileIsPrivateAndAnUnclosedWriteLeavesTheOldFile) {
    temp_dir_t dir;
    const std::u16string path = dir.file("settings.cfg");
    write_bytes(dir.path() / "settings.cfg", read_bytes(fixture("plain.cfg")));
    ::chmod((dir.path() / "settings.cfg").c_str(), 0644);
    {
        // Abandoned (as when the save is interrupted by an error): the old file stays.
        mfc_storage_t s(path, mfc_storage_t::mode_write, u"1234");
        s.write_string(std::u16string(5000, u'x'));
    }
    EXPECT_EQ(read_bytes(dir.path() / "settings.cfg"), read_bytes(fixture("plain.cfg")));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"settings.cfg"});

    mfc_storage_t s(path, mfc_storage_t::mode_write, u"1234");
    s.write_string(u"new");
    ASSERT_TRUE(s.close());
    struct stat st {};
    ASSERT_EQ(::stat((dir.path() / "settings.cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"settings.cfg"});
}

}  // namespace
