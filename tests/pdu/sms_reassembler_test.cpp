#include "platform/pdu/sms_reassembler.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

sms_deliver_t part(std::u16string sender, std::u16string text, uint16_t reference, uint8_t count, uint8_t sequence,
                   bool wide = false, int minute = 0) {
    sms_deliver_t message;
    message.originator = {sms_address_international, std::move(sender)};
    message.user_data.text = std::move(text);
    message.sc_timestamp = {2026, 12, 10, 9, minute, 0, 12};
    if (count > 0) message.user_data.concat = sms_concat_t{reference, wide, count, sequence};
    return message;
}

class SmsReassembler : public ::testing::Test {
protected:
    sms_reassembler_t make() {
        return sms_reassembler_t(1h, [this] { return std::chrono::system_clock::time_point(now_); });
    }
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
    EXPECT_TRUE(r.add(part(u"+7900", u"C", 7, 3, 3), "c").empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"A", 7, 3, 1), "a").empty());
    // Same reference from another sender, as a 16-bit reference, or with another part count: other messages.
    EXPECT_TRUE(r.add(part(u"+7911", u"x", 7, 3, 2)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"y", 7, 3, 2, true)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"z", 7, 2, 2)).empty());
    // A repeated part changes nothing.
    EXPECT_TRUE(r.add(part(u"+7900", u"A", 7, 3, 1), "a again").empty());
    const auto done = r.add(part(u"+7900", u"B", 7, 3, 2), "b");
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].text, u"ABC");
    EXPECT_EQ(done[0].sender.value, u"+7900");
    EXPECT_TRUE(done[0].complete);
    EXPECT_EQ(done[0].tags, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(r.pending_sets(), 3u);
}

TEST_F(SmsReassembler, JoinsASurrogatePairSplitAcrossParts) {
    auto r = make();
    auto first = part(u"+7900", u"Я\xD83D", 300, 2, 1, true);
    first.user_data.ports = sms_ports_t{0x2201, 0x2201, true};
    EXPECT_TRUE(r.add(first).empty());
    const auto done = r.add(part(u"+7900", u"\xDE00!", 300, 2, 2, true));
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].text, u"Я\U0001F600!");
    EXPECT_EQ(done[0].ports, (sms_ports_t{0x2201, 0x2201, true}));
    EXPECT_EQ(done[0].sc_timestamp, (sms_timestamp_t{2026, 12, 10, 9, 0, 0, 12}));
}

TEST_F(SmsReassembler, AReusedReferenceNeverMixesTwoMessages) {
    // The first message's second part is lost; a later message from the same sender reuses the reference.
    // Its parts must neither be dropped as repeats nor complete the first message.
    auto r = make();
    EXPECT_TRUE(r.add(part(u"+7900", u"Код CFM12", 7, 2, 1, false, 0)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"Баланс: ", 7, 2, 1, false, 5)).empty());
    const auto second = r.add(part(u"+7900", u"100 руб.", 7, 2, 2, false, 5));
    EXPECT_EQ(texts_of(second), std::vector<std::u16string>{u"Баланс: 100 руб."});
    // The lost part turns up late: it still belongs to the first message, by its service-centre time.
    const auto first = r.add(part(u"+7900", u"3456", 7, 2, 2, false, 1));
    EXPECT_EQ(texts_of(first), std::vector<std::u16string>{u"Код CFM123456"});
    // Parts a day apart never join, even with every place free.
    EXPECT_TRUE(r.add(part(u"+7900", u"old ", 8, 2, 1, false, 0)).empty());
    auto far = part(u"+7900", u"new", 8, 2, 2, false, 0);
    far.sc_timestamp.day += 1;
    EXPECT_TRUE(r.add(far).empty());
    EXPECT_EQ(r.pending_sets(), 2u);
    // The same text under that reference a day later is the later message's part, not a repeat.
    auto again = part(u"+7900", u"old ", 8, 2, 1, false, 0);
    again.sc_timestamp.day += 1;
    EXPECT_EQ(texts_of(r.add(again)), std::vector<std::u16string>{u"old new"});
}

TEST_F(SmsReassembler, HandsOutAnIncompleteSetAfterTheTimeoutInsteadOfLosingIt) {
    auto r = make();
    r.add(part(u"+7900", u"middle", 9, 3, 2));
    now_ += 1h - 1s;
    EXPECT_TRUE(r.expire().empty());
    now_ += 1s;
    const auto late = r.expire();
    ASSERT_EQ(late.size(), 1u);
    EXPECT_FALSE(late[0].complete);
    EXPECT_EQ(late[0].text, u"[…]middle[…]");
    EXPECT_EQ(r.pending_sets(), 0u);

    // Too many open sets: the oldest goes out incomplete rather than growing without end.
    for (uint16_t i = 0; i <= sms_reassembler_t::max_pending_sets; ++i) {
        const auto out = r.add(part(u"+7900", u"p", i, 2, 1));
        now_ += 1s;
        EXPECT_EQ(out.size(), i == sms_reassembler_t::max_pending_sets ? 1u : 0u);
    }
    EXPECT_EQ(r.pending_sets(), sms_reassembler_t::max_pending_sets);
}

TEST_F(SmsReassembler, PartsGoToTheNearestSetInAShortWindowAndWhatCannotBeToldApartStaysApart) {
    auto r = make();
    using list = std::vector<std::u16string>;
    // Two answers under one reference, 120 s apart, their parts crosswise: each joins its own.
    EXPECT_TRUE(r.add(part(u"+7900", u"Код CFM12", 7, 2, 1, false, 0)).empty());
    EXPECT_TRUE(r.add(part(u"+7900", u" руб.", 7, 2, 2, false, 2)).empty());
    EXPECT_EQ(texts_of(r.add(part(u"+7900", u"Баланс 100", 7, 2, 1, false, 2))), list{u"Баланс 100 руб."});
    EXPECT_EQ(texts_of(r.add(part(u"+7900", u"3456", 7, 2, 2, false, 0))), list{u"Код CFM123456"});

    // Two open sets 20 s apart; a part 10 s from each could be either's: it stays apart, and all three go out
    // incomplete rather than one of them mixed.
    auto at = [](sms_deliver_t p, int second) {
        p.sc_timestamp.second = second;
        return p;
    };
    EXPECT_TRUE(r.add(at(part(u"+7900", u"Первый ", 9, 2, 1), 0)).empty());
    EXPECT_TRUE(r.add(at(part(u"+7900", u"Второй ", 9, 2, 1), 20)).empty());
    EXPECT_TRUE(r.add(at(part(u"+7900", u"чей-то конец", 9, 2, 2), 10)).empty());
    EXPECT_EQ(r.pending_sets(), 3u);
    now_ += 1h;
    const auto late = r.expire();
    EXPECT_EQ(texts_of(late), (list{u"Первый […]", u"Второй […]", u"[…]чей-то конец"}));
    for (const auto& t : late) EXPECT_FALSE(t.complete);

    // A part that comes again before its set is joined goes out with the set, so that nothing is left of it.
    EXPECT_TRUE(r.add(part(u"+7900", u"три", 5, 3, 3), "c").empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"три", 5, 3, 3), "c again").empty());
    EXPECT_TRUE(r.add(part(u"+7900", u"раз ", 5, 3, 1), "a").empty());
    const auto done = r.add(part(u"+7900", u"два ", 5, 3, 2), "b");
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].text, u"раз два три");
    EXPECT_EQ(done[0].repeat_tags, std::vector<std::string>{"c again"});
    EXPECT_EQ(r.pending_sets(), 0u);
}
