#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdlib>

#include "core/u16.h"
#include "platform/device/platform_type.h"
#include "platform/registry/bank_queue.h"
#include "tests/storage/temp_dir.h"

namespace {

using status_t = registry_key_t::status_t;

TEST(Registry, KeysAreFoldersAndValuesAreFilesTakenInNameOrder) {
    temp_dir_t dir;
    EXPECT_FALSE(registry_key_t::open(dir.path(), u"\\Software\\Corsendor"));
    const auto key = registry_key_t::create(dir.path(), u"\\Software\\Corsendor\\Quillantora");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->folder(), dir.path() / "Software" / "Corsendor" / "Quillantora");
    ASSERT_TRUE(key->write(u"б", "2"));
    ASSERT_TRUE(key->write(u"a", "1"));
    ASSERT_TRUE(key->write(u"a", "one"));  // replaced whole
    // What a writer leaves while it writes is no value.
    write_bytes(key->folder() / ".a.tmp", {'x'});

    std::u16string name;
    std::string data;
    ASSERT_EQ(key->enumerate(0, name, 255, data, 512), status_t::ok);
    EXPECT_EQ(name, u"a");
    EXPECT_EQ(data, "one");
    ASSERT_EQ(key->enumerate(1, name, 255, data, 512), status_t::ok);
    EXPECT_EQ(name, u"б");
    EXPECT_EQ(key->enumerate(2, name, 255, data, 512), status_t::no_more);
    EXPECT_EQ(key->enumerate(0, name, 255, data, 2), status_t::too_large);
    EXPECT_EQ(key->enumerate(0, name, 0, data, 512), status_t::too_large);

    EXPECT_TRUE(key->query(u"б", data, 1));
    EXPECT_FALSE(key->query(u"a", data, 2));
    EXPECT_TRUE(key->remove(u"a"));
    EXPECT_FALSE(key->remove(u"a"));
    EXPECT_FALSE(key->query(u"a", data, 512));
}

TEST(Registry, NamesThatWouldLeaveTheKeyAreRefused) {
    temp_dir_t dir;
    const auto key = registry_key_t::create(dir.path(), u"Inbox");
    ASSERT_TRUE(key);
    for (const std::u16string& bad :
         std::vector<std::u16string>{u"", u".hidden", u"../escape", u"a/b", std::u16string(u"a\0b", 3)}) {
        EXPECT_FALSE(key->write(bad, "x")) << to_utf8(bad);
        EXPECT_FALSE(key->remove(bad));
    }
    EXPECT_FALSE(registry_key_t::create(dir.path(), u"\\Software\\..\\..\\out"));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"Inbox"});
}

TEST(Registry, RootFromOptionEnvironmentOrStateFolder) {
    EXPECT_EQ(registry_root(std::string("/r")), "/r");
    setenv("OSTREVAN_REGISTRY", "/from-env", 1);
    EXPECT_EQ(registry_root(std::nullopt), "/from-env");
    unsetenv("OSTREVAN_REGISTRY");
    setenv("XDG_STATE_HOME", "/state", 1);
    EXPECT_EQ(registry_root(std::nullopt), "/state/ostrevan/registry");
}

TEST(PlatformType, SmartphoneWhateverTheCase) {
    for (const char* yes : {"Smartphone", "SMARTPHONE", "smartPhone"}) EXPECT_TRUE(is_smartphone_type(yes)) << yes;
    for (const char* no : {"PocketPC", "Smartphone ", "", "Smartphon"}) EXPECT_FALSE(is_smartphone_type(no)) << no;
    EXPECT_EQ(platform_type(std::string("PocketPC")), "PocketPC");
    unsetenv("OSTREVAN_PLATFORM_TYPE");
    EXPECT_EQ(platform_type(std::nullopt), "Smartphone");
}

TEST(BankQueue, TextsComeBackInOrderAndTheQueueEmpties) {
    temp_dir_t dir;
    EXPECT_TRUE(take_queued_texts(dir.path()).empty()) << "no key: nothing";
    for (const std::u16string& text :
         std::vector<std::u16string>{u"первый", u"", std::u16string(u"третий с нулём\0хвост", 20)})
        ASSERT_TRUE(queue_bank_text(dir.path(), text));
    EXPECT_EQ(take_queued_texts(dir.path()), (std::vector<std::u16string>{u"первый", u"", u"третий с нулём"}));
    EXPECT_TRUE(take_queued_texts(dir.path()).empty());
}

TEST(BankQueue, ForeignDataIsReadAsFarAsItGoes) {
    EXPECT_EQ(queue_value_text(std::string("a\0b\0c", 5)), u"ab");  // odd last byte, no terminator
    EXPECT_EQ(queue_value_text(""), u"");
    EXPECT_EQ(queue_value_text(queue_value_data(u"текст")), u"текст");
}

TEST(BankQueue, ValuesNoReaderCanTakeAreSetAsideAndTheRestRead) {
    temp_dir_t dir;
    const auto key = registry_key_t::create(dir.path(), queue_key);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->write(u"1", queue_value_data(u"до")));
    ASSERT_TRUE(key->write(u"2", std::string(queue_max_bytes + 1, 'x')));
    ASSERT_TRUE(key->write(u"4", queue_value_data(u"после")));
    std::vector<std::string> warnings;
    EXPECT_EQ(take_queued_texts(dir.path(), [&](const std::string& w) { warnings.push_back(w); }),
              (std::vector<std::u16string>{u"до", u"после"}));
    EXPECT_EQ(warnings.size(), 1u);
    const auto aside = registry_key_t::open(dir.path(), queue_aside_key);
    ASSERT_TRUE(aside);
    std::string data;
    EXPECT_TRUE(aside->query(u"2", data, queue_max_bytes + 1));
    EXPECT_TRUE(take_queued_texts(dir.path()).empty());
}

// The longest answer the program itself can queue (a joined message of 255 parts) is read whole.
TEST(BankQueue, TheLongestJoinedAnswerFits) {
    temp_dir_t dir;
    const std::u16string longest(255 * 160, u'ж');
    ASSERT_TRUE(queue_bank_text(dir.path(), longest));
    EXPECT_EQ(take_queued_texts(dir.path()), std::vector<std::u16string>{longest});
}

TEST(BankQueue, TheModemToolQueuesByHand) {
    temp_dir_t dir;
    const std::string tool = std::string(std::getenv("OSTREVAN_BINARY_DIR")) + "/tools/ostrevan-modem/ostrevan-modem";
    const std::string command =
        tool + " queue --registry " + dir.path().string() + " 'Баланс карты: 12 345,67 руб. APP_PORT=2201'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(take_queued_texts(dir.path()),
              std::vector<std::u16string>{u"Баланс карты: 12 345,67 руб. APP_PORT=2201"});
    EXPECT_NE(WEXITSTATUS(std::system((tool + " queue >/dev/null 2>&1").c_str())), 0);
}

}  // namespace
