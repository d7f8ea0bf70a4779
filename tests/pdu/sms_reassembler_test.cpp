#include "platform/pdu/sms_reassembler.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "core/text_error.h"

namespace {

using namespace std::chrono_literals;

sms_deliver_t part(std::u16string sender, std::u16string text, uint16_t reference, uint8_t count, uint8_t sequence,
                   bool wide = false) {
    sms_deliver_t message;
    message.originator = {sms_address_international, std::move(sender)};
    message.user_data.text = std::move(text);
    if (count > 0) message.user_data.concat = sms_concat_t{reference, wide, count, sequence};
    return message;
}

class SmsReassembler : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "ostrevan-parts-XXXXXX").string();
        dir_ = mkdtemp(pattern.data());
        file_ = dir_ / "sms-parts";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    sms_reassembler_t make() {
        return sms_reassembler_t(file_, 1h, [this] { return std::chrono::system_clock::time_point(now_); });
    }

    std::filesystem::path dir_, file_;
    std::chrono::seconds now_{1'800'000'000};
};

std::vector<std::u16string> texts_of(const std::vector<sms_text_t>& texts) {
    std::vector<std::u16string> out;
    for (const auto& t : texts) out.push_back(t.text);
    return out;
}

}  // namespace

TEST_F(SmsReassembler, JoinsPartsInAnyOrderAndNeverAcrossSendersOrReferences) {
    auto r = make();
    using list = std::vector<std::u16string>;
    EXPECT_EQ(texts_of(r.add(part(u"+7900", u"single", 0, 0, 0))), list{u"single"});
    EXPECT_EQ(texts_of(r.add(part(u"+7900", u"one of one", 7, 1, 1))), list{u"one of one"});
    EXPECT_TRUE(r.add(part(u"+7900", u"C", 7, 3, 3)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"A", 7, 3, 1)).empty());
    // Same reference from another sender, as a 16-bit reference, or with another part count: other messages.
    EXPECT_TRUE(r.add(part(u"+7911", u"x", 7, 3, 2)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"y", 7, 3, 2, true)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"z", 7, 2, 2)).empty());
    // A repeated part changes nothing.
    EXPECT_TRUE(r.add(part(u"+7900", u"A again", 7, 3, 1)).empty());
    const auto done = r.add(part(u"+7900", u"B", 7, 3, 2));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].text, u"ABC");
    EXPECT_EQ(done[0].sender.value, u"+7900");
    EXPECT_TRUE(done[0].complete);
    EXPECT_EQ(r.pending_sets(), 3u);
}

TEST_F(SmsReassembler, KeepsPartsAcrossARestartIncludingASplitSurrogatePair) {
    {
        auto r = make();
        auto first = part(u"+7900", u"Я\xD83D", 300, 2, 1, true);
        first.user_data.ports = sms_ports_t{0x2201, 0x2201, true};
        first.sc_timestamp = {2026, 12, 10, 1, 2, 3, 12};
        EXPECT_TRUE(r.add(first).empty());
    }
    EXPECT_FALSE(std::filesystem::exists(file_.string() + ".tmp"));
    auto r = make();
    EXPECT_TRUE(r.load_error().empty());
    EXPECT_EQ(r.pending_sets(), 1u);
    const auto done = r.add(part(u"+7900", u"\xDE00!", 300, 2, 2, true));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].text, u"Я\U0001F600!");
    EXPECT_EQ(done[0].ports, (sms_ports_t{0x2201, 0x2201, true}));
    EXPECT_EQ(done[0].sc_timestamp, (sms_timestamp_t{2026, 12, 10, 1, 2, 3, 12}));
    EXPECT_EQ(make().pending_sets(), 0u);
}

TEST_F(SmsReassembler, HandsOutAnIncompleteSetAfterTheTimeoutInsteadOfLosingIt) {
    make().add(part(u"+7900", u"middle", 9, 3, 2));
    now_ += 1h - 1s;
    EXPECT_TRUE(make().expire().empty());
    now_ += 1s;
    auto r = make();  // the time of arrival survived the restart
    const auto late = r.expire();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_FALSE(late[0].complete);
    EXPECT_EQ(late[0].text, u"[…]middle[…]");
    EXPECT_EQ(r.pending_sets(), 0u);
    EXPECT_EQ(make().pending_sets(), 0u);

    // Too many open sets: the oldest goes out incomplete rather than growing the file without end.
    for (uint16_t i = 0; i <= sms_reassembler_t::max_pending_sets; ++i) {
        const auto out = r.add(part(u"+7900", u"p", i, 2, 1));
        now_ += 1s;
        EXPECT_EQ(out.size(), i == sms_reassembler_t::max_pending_sets ? 1u : 0u);
    }
    EXPECT_EQ(r.pending_sets(), sms_reassembler_t::max_pending_sets);
}

TEST_F(SmsReassembler, SetsADamagedFileAsideAndStartsEmpty) {
    const std::string damaged[] = {
        "garbage\n",
        "ostrevan-sms-parts 1\nset 1 145 7 0 2 2026 1 1 0 0 0 0 - 002B\npart 3 0041\n",  // part past the count
        "ostrevan-sms-parts 1\nset 1 145 7 0 2 2026 1 1 0 0 0 0 1:2 002B\n",             // ports cut short
        "ostrevan-sms-parts 1\npart 1 0041\n",                                           // part of no set
    };
    for (const auto& content : damaged) {
        std::ofstream(file_) << content;
        auto r = make();
        EXPECT_EQ(r.load_error(),
                  u"Файл частей составных SMS повреждён и отложен в сторону: " + std::u16string(file_.u16string()))
            << content;
        EXPECT_EQ(r.pending_sets(), 0u);
        EXPECT_TRUE(std::filesystem::exists(file_.string() + ".bad"));
        EXPECT_TRUE(r.add(part(u"+7900", u"A", 1, 2, 1)).empty());
        EXPECT_EQ(make().pending_sets(), 1u);
        std::filesystem::remove(file_);
    }
}

TEST_F(SmsReassembler, ChangesNothingWhenTheFileCannotBeWritten) {
    file_ = dir_ / "state" / "sms-parts";  // the folder is made on the first write
    auto r = make();
    EXPECT_TRUE(r.add(part(u"+7900", u"A", 5, 2, 1)).empty());
    std::filesystem::remove_all(dir_ / "state");
    std::ofstream(dir_ / "state") << "a file where the folder should be";
    try {
        r.add(part(u"+7900", u"B", 5, 2, 2));
        ADD_FAILURE() << "the lost write went unnoticed";
    } catch (const text_error_t& e) {
        EXPECT_EQ(e.text(), u"Не удалось сохранить части составных SMS: " + file_.u16string());
    }
    EXPECT_EQ(r.pending_sets(), 1u);
    std::filesystem::remove(dir_ / "state");
    EXPECT_EQ(texts_of(r.add(part(u"+7900", u"B", 5, 2, 2))), std::vector<std::u16string>{u"AB"});
}
