#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "core/u16.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_message_store.h"
#include "platform/modem/sms_provider.h"
#include "platform/pdu/sms_encoder.h"
#include "resources/texts.h"
#include "sim/sim_modem.h"
#include "sim/sim_remote.h"
#include "tests/modem/scripted_modem.h"

namespace {

const std::u16string bank = u"+79001234567";

// The program's intake, as the messaging layer hands it down: the bank's messages only.
sms_intake_t bank_only(const std::u16string& text) {
    return text.find(u"APP_PORT=2201") != std::u16string::npos ? sms_intake_t::take : sms_intake_t::leave;
}
sms_intake_t take_all(const std::u16string&) {
    return sms_intake_t::take;
}

// The simulated modem outlives the program on top of it, so that a restart finds the modem as it was.
struct rig_t {
    manual_clock_t clock;
    sim_modem_t modem{clock};
    std::filesystem::path dir;
    std::filesystem::path ledger;
    int64_t wall = 1'800'000'000;
    std::unique_ptr<modem_service_t> service;
    std::unique_ptr<sms_message_store_t> store;
    std::vector<std::string> warnings;
    std::vector<std::u16string> handed;   // what the inbox watch handed to the application
    std::vector<std::u16string> notices;  // what the user was told about the modem
    int notified = 0;
    bool intake_late = false;  // the first walk runs before the bank's filter is set

    rig_t() {
        dir =
            std::filesystem::temp_directory_path() / ("ostrevan-store-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        ledger = dir / "sms.ledger";
    }
    ~rig_t() {
        store.reset();
        service.reset();
        std::filesystem::remove_all(dir);
    }
    // Starts (or restarts) the program's side.
    void boot() {
        store.reset();
        service.reset();
        modem_options_t o;
        o.connect = [this] { return std::make_unique<memory_transport_t>(modem, clock); };
        o.clock = &clock;
        o.ledger_file = ledger;
        o.wall_clock = [this] { return wall; };
        o.warn = [this](const std::string& w) { warnings.push_back(w); };
        if (!intake_late) o.intake = bank_only;
        service = std::make_unique<modem_service_t>(std::move(o));
        service->on_new_messages([this] { ++notified; });
        service->on_notice([this](const std::u16string& notice) { notices.push_back(notice); });
        store = std::make_unique<sms_message_store_t>(*service);
        ASSERT_TRUE(store->logon());
        ASSERT_TRUE(store->open_inbox(u"SMS"));
        service->connect();
        if (intake_late) service->set_intake(bank_only);
    }
    // The inbox walk of the messaging code: unread messages that carry the bank's marker are handed
    // over and marked read; the others stay unread and untouched.
    void watch() {
        for (const auto& m : store->messages()) {
            if (m.read || m.text.find(u"APP_PORT=2201") == std::u16string::npos) continue;
            handed.push_back(m.text);
            ASSERT_TRUE(store->set_read(m.id));
        }
    }
    int32_t send(const std::u16string& to, const std::u16string& text, bool port = true) {
        sms_provider_t provider(*service);
        sms_handle_t h = 0;
        EXPECT_EQ(provider.open(sms_text_provider, sms_mode_send, &h), sms_ok);
        sms_address_record_t address;
        address.type = to.starts_with(u'+') ? sms_address_type_international : sms_address_type_national;
        to.copy(address.address, to.size());
        sms_text_provider_data_t data;
        if (port) {
            const uint8_t header[] = {0x05, 0x04, 0x22, 0x01, 0x22, 0x01};
            std::copy(std::begin(header), std::end(header), data.header_data);
            data.header_length = 6;
        }
        uint32_t id = 0;
        const int32_t rc = provider.send_message(h, nullptr, &address, nullptr, text.data(), text.size() * 2, &data,
                                                 sizeof data, sms_data_encoding_default, 0, &id);
        EXPECT_EQ(provider.close(h), sms_ok);
        return rc;
    }
    void store_parts(const std::u16string& sender, const std::u16string& text, uint8_t reference,
                     std::initializer_list<size_t> order) {
        sms_outgoing_t m;
        m.address = sender;
        m.text = text;
        m.message_class = std::nullopt;
        m.reference = reference;
        const auto parts = encode_deliver(m, {2026, 12, 10, 1, 2, 3, 0});
        for (const size_t i : order) modem.store_raw(parts.at(i).hex, parts.at(i).tpdu_length);
    }
};

// Three parts in UCS-2.
std::u16string long_text(char16_t letter) {
    return std::u16string(150, letter) + u" APP_PORT=2201";
}

}  // namespace

TEST(MessageStore, BankAnswerHandedOverOnceOthersNeverAlsoAfterRestart) {
    rig_t rig;
    rig.boot();
    EXPECT_EQ(rig.send(bank, u"BAL;;ver=w2.17"), sms_ok);
    ASSERT_EQ(rig.modem.sent().size(), 1u);
    EXPECT_EQ(rig.modem.sent()[0].destination, bank);
    EXPECT_EQ(rig.modem.sent()[0].text, u"BAL;;ver=w2.17");
    EXPECT_EQ(rig.modem.sent()[0].port, 0x2201);
    EXPECT_EQ(rig.modem.sent()[0].message_class, 1);
    rig.modem.deliver(u"+79995550000", u"Привет, это не банк");

    rig.service->pump(modem_time_t(2'000));  // the bank answers after a while
    EXPECT_GE(rig.notified, 1);
    rig.watch();
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"Баланс карты: 12 345,67 руб. APP_PORT=2201"});
    EXPECT_EQ(rig.modem.stored(), 1u);  // our ledger holds the bank's answer; the stranger's stays in the modem

    rig.boot();
    rig.service->pump(modem_time_t(2'000));
    rig.watch();
    EXPECT_EQ(rig.handed.size(), 1u);
    EXPECT_EQ(rig.store->messages().size(), 1u);
    EXPECT_EQ(rig.modem.stored(), 1u) << "a message that is not ours is never deleted";
    EXPECT_TRUE(rig.warnings.empty()) << rig.warnings.front();
}

TEST(MessageStore, MessageAnnouncedDuringASendIsTakenAfterIt) {
    rig_t rig;
    rig.boot();
    rig.modem.set_bank_delay(modem_time_t(3'600'000));
    rig.modem.inject({sim_fault_t::cmti_during_send, 0, "APP_PORT=2201 пока вы отправляли"});
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_ok);
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"APP_PORT=2201 пока вы отправляли"});
}

TEST(MessageStore, ConcatenatedPartsJoinPerSenderInAnyOrderAcrossRestarts) {
    rig_t rig;
    // Two senders, the same reference, the parts shuffled; one part of the first sender comes late.
    rig.store_parts(u"+79001234567", long_text(u'А'), 7, {2, 0});
    rig.store_parts(u"+79007654321", long_text(u'Б'), 7, {1, 2, 0});
    rig.boot();
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{long_text(u'Б')});

    rig.boot();  // the waiting parts stay in the modem until their message is taken, and are not taken twice
    EXPECT_EQ(rig.modem.stored(), 2u);
    rig.store_parts(u"+79001234567", long_text(u'А'), 7, {1});
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed, (std::vector<std::u16string>{long_text(u'Б'), long_text(u'А')}));

    // A set that never completes is handed out marked incomplete once it is a day old, not lost.
    rig.store_parts(u"+79001234567", long_text(u'В'), 9, {0, 2});
    rig.service->pump(modem_time_t(100));
    EXPECT_EQ(rig.store->messages().size(), 2u);
    rig.wall += 24 * 3600;
    rig.service->walk();
    const auto last = rig.store->messages().back();
    EXPECT_FALSE(last.complete);
    EXPECT_NE(last.text.find(u"[…]"), std::u16string::npos);
}

TEST(MessageStore, FailuresWhileWalkingLoseNothing) {
    rig_t rig;
    rig.boot();
    // The listing gets no answer: nothing is taken, the message stays in the modem.
    rig.modem.inject({sim_fault_t::no_answer});
    rig.modem.deliver(bank, u"APP_PORT=2201 первое");
    rig.service->pump(modem_time_t(100));
    EXPECT_TRUE(rig.store->messages().empty());
    EXPECT_EQ(rig.modem.stored(), 1u);
    EXPECT_EQ(rig.warnings, std::vector<std::string>{"modem: listing the message storage failed"});
    // No new indication comes: the failed listing is tried again on its own after a pause.
    rig.service->pump(modem_service_t::walk_retry_first);
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"APP_PORT=2201 первое"});

    // The ledger cannot be written: the modem's copy is not deleted.
    std::filesystem::remove(rig.ledger);
    std::filesystem::create_directories(rig.ledger);  // a folder where the file should be
    rig.modem.deliver(bank, u"APP_PORT=2201 второе");
    rig.service->pump(modem_time_t(100));
    EXPECT_EQ(rig.modem.stored(), 1u);
    EXPECT_EQ(rig.warnings.back(), "modem: cannot write " + rig.ledger.string());
}

TEST(MessageStore, DirectDeliveryAndFullStorageGoThroughTheSamePath) {
    rig_t rig;
    rig.modem.offer_direct_delivery_only();
    rig.modem.inject({sim_fault_t::full_storage});
    rig.boot();
    EXPECT_EQ(rig.warnings.at(0),
              "modem: modem message storage is full (30 of 30): new messages are refused until some are deleted");
    EXPECT_EQ(rig.service->setup().indications, sms_indications_t::direct);
    EXPECT_EQ(rig.modem.stored(), 30u);  // other people's messages are not ours to delete
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_ok);
    rig.service->pump(modem_time_t(2'000));
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"Баланс карты: 12 345,67 руб. APP_PORT=2201"});
    EXPECT_EQ(rig.store->messages().size(), 1u);
}

// What the network and the modem do to the bank's answers, and what the user is shown: every answer once, whole,
// never mixed, also after a restart and a day later (when incomplete sets would go out).
TEST(ReceiveCases, EveryBankAnswerIsShownOnceWholeAndNeverMixed) {
    using texts_t = std::vector<std::u16string>;
    const std::u16string balance = u"Баланс карты: 12 345,67 руб. APP_PORT=2201";
    struct case_t {
        const char* name;
        std::function<void(rig_t&)> before_start;  // the modem as the program finds it
        std::function<void(rig_t&)> while_running;
        texts_t shown;  // each as often as it stands here, in this order
        texts_t notices = {};
    };
    const case_t cases[] = {
        {"5: a 2-part answer waits in the storage at start",
         [](rig_t& r) { r.modem.store_waiting(bank, sim_texts::two_part_waiting); },
         nullptr,
         {sim_texts::two_part_waiting}},
        {"5: the first walk runs before the bank's filter is set",
         [](rig_t& r) {
             r.intake_late = true;
             r.modem.store_waiting(bank, sim_texts::two_part_waiting);
         },
         nullptr,
         {sim_texts::two_part_waiting}},
        {"6: two answers reuse a reference 120 s apart, their parts crosswise",
         nullptr,
         [](rig_t& r) {
             r.modem.deliver_reused_reference(bank, sim_texts::reused_first, sim_texts::reused_second,
                                              std::chrono::seconds(120));
         },
         {sim_texts::reused_second, sim_texts::reused_first}},
        {"7: the last part comes twice, the repeat first",
         nullptr,
         [](rig_t& r) { r.modem.deliver_with_early_repeat(bank, sim_texts::early_repeat); },
         {sim_texts::early_repeat}},
        {"8: the network delivers an answer twice, into another place",
         nullptr,
         [&](rig_t& r) {
             r.modem.inject({sim_fault_t::repeat_delivery});
             r.modem.deliver(bank, balance);
         },
         {balance}},
        {"8: the network delivers a long answer twice",
         nullptr,
         [](rig_t& r) {
             r.modem.inject({sim_fault_t::repeat_delivery});
             r.modem.deliver(bank, sim_texts::early_repeat);
         },
         {sim_texts::early_repeat}},
        {"8: the modem hands an answer over in +CMT twice",
         [](rig_t& r) { r.modem.offer_direct_delivery_only(); },
         [&](rig_t& r) {
             r.modem.inject({sim_fault_t::repeat_delivery});
             r.modem.deliver(bank, balance);
         },
         {balance}},
        {"9: a class-2 answer waits on the SIM at start",
         [](rig_t& r) { r.modem.store_waiting(bank, sim_texts::class2_waiting, 2); },
         nullptr,
         {sim_texts::class2_waiting}},
        {"9: an answer waits in the storage not in use (the modem's own) at start",
         [](rig_t& r) { r.modem.store_waiting(bank, sim_texts::class2_waiting, std::nullopt, true); },
         nullptr,
         {sim_texts::class2_waiting}},
        {"10: a line of noise between a header and its PDU in the listing",
         nullptr,
         [&](rig_t& r) {
             r.modem.inject({sim_fault_t::listing_garbage});
             r.modem.deliver(bank, balance);
         },
         {balance}},
        {"11: the SIM is full of others' messages; the modem's memory takes new ones",
         [](rig_t& r) {
             r.modem.offer_modem_memory_for_receiving();
             r.modem.inject({sim_fault_t::full_storage});
         },
         [&](rig_t& r) { r.modem.deliver(bank, balance); },
         {balance}},
        {"11: the SIM is full of others' messages and there is nowhere else",
         [](rig_t& r) { r.modem.inject({sim_fault_t::full_storage}); },
         [&](rig_t& r) { r.modem.deliver(bank, balance); },
         {},
         {texts::modem_storage_full}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rig_t rig;
        if (c.before_start) c.before_start(rig);
        rig.boot();
        if (c.while_running) c.while_running(rig);
        rig.service->pump(modem_time_t(100));
        rig.service->pump(modem_service_t::walk_retry_first);  // a walk that failed is tried again
        rig.watch();
        const auto told = rig.notices;
        rig.boot();  // a restart shows nothing again
        rig.watch();
        rig.wall += 25 * 3600;  // nor does a day later, when sets still open would go out incomplete
        rig.service->walk();
        rig.watch();
        EXPECT_EQ(rig.handed, c.shown);
        EXPECT_EQ(told, c.notices);
        for (const auto& m : rig.store->messages()) EXPECT_TRUE(m.complete);
    }
}

// The same on recorded modems, command by command: the SIM walked at start beside the modem's own memory, a
// garbled listing asked for again, and repeats (in +CMT, in two places) and a 2-part answer at start taken once.
TEST(ReceiveCases, RecordedModemsAreWalkedWhollyAndRepeatsTakenOnce) {
    const sms_timestamp_t at{2026, 12, 10, 9, 0, 0, 12};
    auto encoded = [&](const std::u16string& text, std::optional<uint8_t> message_class = std::nullopt,
                       uint8_t reference = 0) {
        sms_outgoing_t m;
        m.address = bank;
        m.text = text;
        m.message_class = message_class;
        m.reference = reference;
        return encode_deliver(m, at);
    };
    auto fill = [](std::map<std::string, std::string>& out, const std::string& name, const encoded_pdu_t& pdu) {
        out[name] = pdu.hex;
        out[name + "_length"] = std::to_string(pdu.tpdu_length);
    };
    const std::u16string answer = u"Карта *1234 заблокирована. APP_PORT=2201";
    const std::u16string other = u"Зачисление 500,00 руб. APP_PORT=2201";
    struct case_t {
        const char* file;
        std::vector<std::u16string> shown;
    };
    const case_t cases[] = {
        {"receive_class2_on_sim.at", {answer}},
        {"receive_listing_garbage.at", {answer}},
        {"receive_repeats.at", {sim_texts::two_part_waiting, answer, other}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::map<std::string, std::string> values;
        fill(values, "answer", encoded(answer, c.file == std::string("receive_class2_on_sim.at") ? 2 : 0).at(0));
        fill(values, "other", encoded(other).at(0));
        const auto parts = encoded(sim_texts::two_part_waiting, std::nullopt, 42);
        ASSERT_EQ(parts.size(), 2u);      // in UCS-2, 67 characters a part
        fill(values, "long1", parts[1]);  // the second part listed first
        fill(values, "long2", parts[0]);
        rig_t rig;
        scripted_modem_t modem = scripted_modem_t::from_file(c.file, rig.clock, values);
        modem_options_t o;
        o.connect = [&] { return std::make_unique<memory_transport_t>(modem, rig.clock); };
        o.clock = &rig.clock;
        o.ledger_file = rig.ledger;
        o.wall_clock = [&] { return rig.wall; };
        o.intake = bank_only;
        rig.service = std::make_unique<modem_service_t>(std::move(o));
        rig.store = std::make_unique<sms_message_store_t>(*rig.service);
        ASSERT_TRUE(rig.store->open_inbox(u"SMS"));
        EXPECT_TRUE(rig.service->connect());
        rig.service->pump(modem_time_t(100));
        rig.service->pump(modem_service_t::walk_retry_first);
        rig.watch();
        EXPECT_EQ(rig.handed, c.shown);
        EXPECT_TRUE(modem.mismatches().empty()) << modem.mismatches().front();
        EXPECT_TRUE(modem.finished());
        rig.store.reset();
        rig.service.reset();
    }
}

TEST(ModemNotices, TheFirstStartsFailureIsToldOnceAndALaterDropNot) {
    rig_t rig;
    rig.modem.hang_up();
    rig.boot();
    EXPECT_EQ(rig.notices, std::vector<std::u16string>{texts::modem_unreachable});
    EXPECT_FALSE(rig.service->connect());  // tried again and again: told once
    rig.modem.plug_in();
    EXPECT_TRUE(rig.service->connect());
    rig.modem.hang_up();
    EXPECT_FALSE(rig.service->connect());  // a drop later: every send says so itself
    EXPECT_EQ(rig.notices.size(), 1u);
}

TEST(SmsProvider, FillsTheSmsFromTheRecordsAndRefusesBadCalls) {
    rig_t rig;
    rig.boot();
    EXPECT_EQ(rig.send(u"89001234567", u"Проверка €", false), sms_ok);
    ASSERT_EQ(rig.modem.sent().size(), 1u);
    EXPECT_EQ(rig.modem.sent()[0].destination, u"89001234567");
    EXPECT_EQ(rig.modem.sent()[0].text, u"Проверка €");
    EXPECT_FALSE(rig.modem.sent()[0].port);
    EXPECT_EQ(rig.send(u"+7 900 12x", u"BAL"), sms_error_not_sent);  // a number the network cannot take
    EXPECT_EQ(rig.send(u"8 (900) 123-45-67", u"BAL"), sms_ok);       // as a person types it
    EXPECT_EQ(rig.modem.sent().back().destination, u"89001234567");

    sms_provider_t provider(*rig.service);
    sms_handle_t h = 0;
    EXPECT_EQ(provider.open(u"Other Protocol", sms_mode_send, &h), sms_error_invalid);
    EXPECT_EQ(provider.open(sms_text_provider, 1, &h), sms_error_invalid);
    EXPECT_EQ(provider.close(42), sms_error_invalid);
    sms_address_record_t address;
    sms_text_provider_data_t data;
    EXPECT_EQ(provider.send_message(42, nullptr, &address, nullptr, u"x", 2, &data, sizeof data, 1, 0, nullptr),
              sms_error_invalid);
    ASSERT_EQ(provider.open(sms_text_provider, sms_mode_send, &h), sms_ok);
    data.header_length = 141;
    EXPECT_EQ(provider.send_message(h, nullptr, &address, nullptr, u"x", 2, &data, sizeof data, 1, 0, nullptr),
              sms_error_invalid);
    EXPECT_EQ(provider.send_message(h, nullptr, &address, nullptr, u"x", 2, &data, 100, 1, 0, nullptr),
              sms_error_invalid);

    // No modem at all: the send fails at once.
    rig.modem.hang_up();
    rig.service->pump(modem_time_t(100));
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_error_not_sent);
}

TEST(SmsProvider, RetriesTemporaryRefusalsOnlyAndRestartsABrokenModem) {
    rig_t rig;
    rig.boot();
    rig.modem.inject({sim_fault_t::cms_error, 42});  // congestion: the second try goes through
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_ok);
    rig.modem.inject({sim_fault_t::cms_error, 21});  // refused: not repeated, or it would go through
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_error_not_sent);
    EXPECT_EQ(rig.modem.sent().size(), 1u);
    rig.modem.inject({sim_fault_t::cms_error, 310});  // SIM gone: the modem is started again
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_error_not_sent);
    EXPECT_EQ(rig.warnings,
              std::vector<std::string>{"modem: +CMS ERROR: 310 (modem unusable); starting the modem again"});
    EXPECT_FALSE(rig.service->connected());
    EXPECT_TRUE(rig.service->connect());
    EXPECT_EQ(rig.send(bank, u"BAL"), sms_ok);
    EXPECT_EQ(rig.modem.sent().size(), 2u);
}

TEST(SmsProvider, AnswersThatMayComeAfterTheMessageLeftAreNeverRepeated) {
    // Each fault hits the first AT+CMGS; `copies` is what the network may have got, `ok` the answer.
    struct case_t {
        const char* what;
        sim_fault_spec_t fault;
        int32_t result;
        size_t copies;
    };
    const case_t cases[] = {
        {"network time-out", {sim_fault_t::cms_error, 332}, sms_error_unknown, 0},
        {"unknown error", {sim_fault_t::cms_error, 500}, sms_error_unknown, 0},
        {"acknowledgement lost", {sim_fault_t::lost_acknowledgement}, sms_error_unknown, 1},
        {"a call rang and hung up", {sim_fault_t::no_carrier_during_send}, sms_ok, 1},
        {"noise past the time-out", {sim_fault_t::noise, 20'000}, sms_error_not_sent, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        rig_t rig;
        rig.boot();
        rig.modem.set_bank_delay(modem_time_t(3'600'000));
        rig.modem.inject(c.fault);
        const modem_time_t start = rig.clock.now();
        EXPECT_EQ(rig.send(bank, u"PAY 100"), c.result);
        EXPECT_LT(rig.clock.now() - start, modem_time_t(100'000)) << "a send must end in bounded time";
        EXPECT_EQ(rig.modem.sent().size(), c.copies) << "repeated without the user asking";
        // The replies stay in step: the next request gets its own answer.
        EXPECT_EQ(rig.send(bank, u"BAL"), sms_ok);
        EXPECT_EQ(rig.modem.sent().size(), c.copies + 1);
        EXPECT_EQ(rig.modem.sent().back().text, u"BAL");
    }
}

TEST(MessageStore, OnlyTheBankMessagesLeaveTheModem) {
    rig_t rig;
    // A status report and a stored submit of the phone's own, a stranger's message, and the bank's.
    const std::string report =
        "0006"
        "2A"
        "0B91"
        "9701214365F7"
        "62211001000012"
        "62211001000512"
        "00";
    rig.modem.store_raw(report, report.size() / 2 - 1);
    sms_outgoing_t own;
    own.address = bank;
    own.text = u"BAL";
    const auto submit = encode_submit(own).at(0);
    rig.modem.store_raw(submit.hex, submit.tpdu_length);
    rig.modem.deliver(u"+79995550000", u"Привет!");
    rig.modem.deliver(bank, u"Зачисление APP_PORT=2201");
    rig.boot();
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"Зачисление APP_PORT=2201"});
    EXPECT_EQ(rig.modem.stored(), 3u) << "what is not ours stays where it was";
    EXPECT_TRUE(rig.warnings.empty()) << rig.warnings.front();
    rig.boot();  // and it is not taken in on a later walk either
    rig.watch();
    EXPECT_EQ(rig.store->messages().size(), 1u);
    EXPECT_EQ(rig.modem.stored(), 3u);
}

TEST(MessageStore, PartsRepeatedOrUnderAReusedReferenceNeverMakeASecondOrMixedMessage) {
    rig_t rig;
    rig.boot();
    auto parts = [&](const std::u16string& text, uint8_t reference, int minute) {
        sms_outgoing_t m;
        m.address = bank;
        m.text = text;
        m.message_class = std::nullopt;
        m.reference = reference;
        return encode_deliver(m, {2026, 12, 10, 9, minute, 0, 12});
    };
    const std::u16string first = std::u16string(150, u'А') + u" код CFM123456 APP_PORT=2201";
    const std::u16string second = std::u16string(150, u'Б') + u" баланс 100 APP_PORT=2201";
    const auto a = parts(first, 7, 0);
    const auto b = parts(second, 7, 5);
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    // The first message loses its middle part; the second reuses the reference.
    rig.modem.store_raw(a[0].hex, a[0].tpdu_length);
    rig.modem.store_raw(a[2].hex, a[2].tpdu_length);
    rig.service->pump(modem_time_t(100));
    for (const auto& p : b) rig.modem.store_raw(p.hex, p.tpdu_length);
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{second});
    // A part of the joined message delivered again, into the same place, an hour later.
    rig.wall += 3600;
    rig.modem.store_raw(b[1].hex, b[1].tpdu_length);
    rig.service->pump(modem_time_t(100));
    // A day on, the first message goes out incomplete, and its cut code cannot be mistaken for a whole one.
    rig.wall += 24 * 3600;
    rig.service->walk();
    rig.watch();
    ASSERT_EQ(rig.handed.size(), 2u);
    EXPECT_TRUE(rig.handed[1].starts_with(first.substr(0, 60)));
    EXPECT_NE(rig.handed[1].find(u"[…]"), std::u16string::npos);
    const auto messages = rig.store->messages();
    ASSERT_EQ(messages.size(), 2u) << "the repeated part became a message of its own";
    EXPECT_FALSE(messages[1].complete);
    EXPECT_EQ(rig.modem.stored(), 0u);
    // The bank sends the same text again under the same reference: a new message, not a repeat.
    for (const auto& p : parts(second, 7, 30)) rig.modem.store_raw(p.hex, p.tpdu_length);
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed.size(), 3u);
    EXPECT_EQ(rig.handed.back(), second);
}

TEST(MessageStore, MessageInTheStorageTheIndicationNamesIsTaken) {
    // The modem reads the SIM, but a message lands in its own memory and is announced there.
    rig_t rig;
    rig.boot();
    rig.modem.store_in_modem_memory(bank, u"APP_PORT=2201 в памяти модема");
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed, std::vector<std::u16string>{u"APP_PORT=2201 в памяти модема"});
    EXPECT_EQ(rig.modem.stored_in_modem_memory(), 0u);
    // Reading is back on the SIM: what arrives there next is taken as before.
    rig.modem.deliver(bank, u"APP_PORT=2201 на SIM");
    rig.service->pump(modem_time_t(100));
    rig.watch();
    EXPECT_EQ(rig.handed.size(), 2u);
    EXPECT_EQ(rig.modem.stored(), 0u);
    EXPECT_TRUE(rig.warnings.empty()) << rig.warnings.front();
}

TEST(MessageStore, ThreadedServiceNotifiesASinkThatMaySendItself) {
    rig_t rig;
    rig.boot();
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::u16string> seen;
    // The sink answers a confirmation request the way the application does: by sending the code back,
    // from inside the notification.
    const int connection = rig.store->advise([&] {
        for (const auto& m : rig.store->messages()) {
            if (m.read) continue;
            rig.store->set_read(m.id);
            if (const size_t at = m.text.find(u"CFM"); at != std::u16string::npos) {
                EXPECT_EQ(rig.send(bank, m.text.substr(at, 9)), sms_ok);
            }
            std::lock_guard lock(mutex);
            seen.push_back(m.text);
            changed.notify_all();
        }
    });
    EXPECT_GT(connection, 0);
    rig.service->start();
    EXPECT_EQ(rig.send(bank, u"PAY 100;;ver=w2.17"), sms_ok);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return seen.size() >= 2; }));
    }
    rig.store->unadvise(connection);
    rig.service->stop();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].find(u"Для подтверждения отправьте код CFM"), std::u16string::npos);
    EXPECT_NE(seen[1].find(u"Платёж подтверждён"), std::u16string::npos);
}

TEST(SmsLedger, SurvivesRestartsSetsADamagedFileAsideAndStaysBounded) {
    rig_t rig;
    sms_outgoing_t m;
    m.address = bank;
    m.message_class = std::nullopt;
    auto pdu = [&](int i) {
        m.text = u"APP_PORT=2201 №" + from_utf8(std::to_string(i));
        return encode_deliver(m, {2026, 12, 10, 1, 2, 3, 0}).at(0).hex;
    };
    {
        sms_ledger_t ledger(rig.ledger);
        EXPECT_TRUE(ledger.take(pdu(1), sms_ledger_t::key_of(pdu(1), "1"), take_all));
        EXPECT_TRUE(ledger.take(pdu(2), sms_ledger_t::key_of(pdu(2), "2"), take_all));
        EXPECT_FALSE(ledger.take("0004zz", sms_ledger_t::key_of("0004zz", "3"), take_all));  // unreadable: stays
        EXPECT_EQ(ledger.settle(take_all), 2u);
        EXPECT_EQ(ledger.save(), std::nullopt);
        EXPECT_TRUE(ledger.set_read(ledger.messages()[0].id));
    }
    {
        sms_ledger_t ledger(rig.ledger);
        EXPECT_TRUE(ledger.load_warning().empty());
        const auto messages = ledger.messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_TRUE(messages[0].read);
        EXPECT_FALSE(messages[1].read);
        EXPECT_EQ(messages[1].text, u"APP_PORT=2201 №2");
        EXPECT_TRUE(ledger.taken(sms_ledger_t::key_of(pdu(1), "1")));
        for (int i = 0; i < int(sms_ledger_t::max_unread) + 5; ++i)
            ledger.take(pdu(i), sms_ledger_t::key_of(pdu(i), "x"), take_all);
        EXPECT_EQ(ledger.messages().size(), sms_ledger_t::max_unread);
        EXPECT_EQ(ledger.messages().back().text, u"APP_PORT=2201 №2004");
    }
    std::ofstream(rig.ledger) << "ostrevan-sms-inbox 1\nM x uc -00 -0041\nQ what\n";
    sms_ledger_t damaged(rig.ledger);
    EXPECT_EQ(damaged.load_warning(), "message ledger " + rig.ledger.string() +
                                          " is damaged (bad message at line 2); set aside as " + rig.ledger.string() +
                                          ".bad, starting empty");
    EXPECT_TRUE(damaged.messages().empty());
    EXPECT_TRUE(std::filesystem::exists(rig.ledger.string() + ".bad"));

    // A ledger that cannot be written makes the store unusable.
    std::filesystem::create_directories(rig.dir / "blocked" / "sms.ledger");
    rig.ledger = rig.dir / "blocked" / "sms.ledger";
    rig.service.reset();
    modem_options_t o;
    o.connect = [&] { return std::make_unique<memory_transport_t>(rig.modem, rig.clock); };
    o.clock = &rig.clock;
    o.ledger_file = rig.ledger;
    modem_service_t service(std::move(o));
    EXPECT_FALSE(sms_message_store_t(service).logon());
}

TEST(SmsLedger, AFileWrittenEarlierReadsAndIsWrittenBackByteForByte) {
    rig_t rig;
    sms_outgoing_t m;
    m.address = bank;
    m.text = std::u16string(200, u'Ж');  // long enough for parts
    const std::string part = encode_deliver(m, {2026, 12, 10, 1, 2, 3, 0}).at(0).hex;
    const std::string earlier =
        "ostrevan-sms-inbox 1\n"
        "T 0123456789abcdef\n"
        "K 1111111111111111\n"
        "J 2222222222222222 1800000000 r\n"
        "P 3333333333333333 1800000100 " +
        part +
        "\n"
        "M 4444444444444444 rc -002B0037003900300030 -041F04400438043204350442D83DDE00\n"
        "M 5555555555555555 ui - -\n";
    std::ofstream(rig.ledger, std::ios::binary) << earlier;
    {
        sms_ledger_t ledger(rig.ledger);
        EXPECT_EQ(ledger.load_warning(), "");
        const auto messages = ledger.messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].sender, u"+7900");
        EXPECT_EQ(messages[0].text, u"Привет😀");
        EXPECT_TRUE(messages[0].read);
        EXPECT_EQ(messages[1].text, u"");
        EXPECT_FALSE(messages[1].complete);
        EXPECT_TRUE(ledger.releasable("0123456789abcdef"));
        EXPECT_FALSE(ledger.releasable("1111111111111111"));
        EXPECT_EQ(ledger.save(), std::nullopt);
    }
    std::ifstream in(rig.ledger, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), earlier);

    // Every walk saves; a ledger that has not changed since it was written is not written and synced again.
    {
        sms_ledger_t ledger(rig.ledger);
        EXPECT_EQ(ledger.save(), std::nullopt);
        std::filesystem::remove(rig.ledger);
        EXPECT_EQ(ledger.save(), std::nullopt);
        EXPECT_FALSE(std::filesystem::exists(rig.ledger));
        EXPECT_TRUE(ledger.set_read("5555555555555555"));
        EXPECT_TRUE(std::filesystem::exists(rig.ledger));
    }

    for (const char* text : {"-004", "0041", "-00G1", "-+041"}) {
        SCOPED_TRACE(text);
        std::ofstream(rig.ledger, std::ios::binary) << "ostrevan-sms-inbox 1\nM x uc - " << text << "\n";
        EXPECT_NE(sms_ledger_t(rig.ledger).load_warning().find("bad message at line 2"), std::string::npos);
    }
}

TEST(ModemServiceQueue, ASendWhoseCallerWasToldNotSentNeverLeaves) {
    // The modem is slow to come up: the service's thread is still connecting while sends queue up.
    enum class how_t { caller_gives_up, service_stopped, withdrawn };
    struct case_t {
        const char* what;
        how_t how;
    };
    for (const case_t c :
         {case_t{"caller gave up", how_t::caller_gives_up}, case_t{"service stopped", how_t::service_stopped},
          case_t{"user cancelled", how_t::withdrawn}}) {
        SCOPED_TRACE(c.what);
        manual_clock_t clock;
        sim_modem_t modem{clock};
        std::mutex mutex;
        std::condition_variable changed;
        bool release = false;
        std::unique_ptr<modem_service_t> service;
        modem_options_t o;
        o.connect = [&] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return release || (c.how == how_t::service_stopped && service->stopping()); });
            return std::make_unique<memory_transport_t>(modem, clock);
        };
        o.clock = &clock;
        o.send_start_wait = c.how == how_t::caller_gives_up ? std::chrono::milliseconds(50) : std::chrono::hours(1);
        service = std::make_unique<modem_service_t>(std::move(o));
        service->start();
        sms_outgoing_t message;
        message.address = bank;
        message.text = u"PAY 100";
        auto let_connect = [&] {
            {
                std::lock_guard lock(mutex);
                release = true;
            }
            changed.notify_all();
        };
        if (c.how == how_t::caller_gives_up) {
            EXPECT_FALSE(service->send(message).ok());
            let_connect();
            service->stop();
        } else if (c.how == how_t::withdrawn) {
            auto control = std::make_shared<send_control_t>();
            auto outcome = std::async(std::launch::async, [&] { return service->send(message, control); });
            while (service->pending_sends() == 0) std::this_thread::yield();
            EXPECT_TRUE(service->withdraw(*control)) << "nothing was written yet";
            EXPECT_EQ(outcome.get().outcome, send_outcome_t::not_sent);
            EXPECT_EQ(service->pending_sends(), 0u);
            let_connect();
            // The modem comes up and takes a later request; the withdrawn one stays behind.
            sms_outgoing_t later = message;
            later.text = u"BAL";
            EXPECT_TRUE(service->send(later).ok());
            service->stop();
            ASSERT_EQ(modem.sent().size(), 1u);
            EXPECT_EQ(modem.sent()[0].text, u"BAL");
            continue;
        } else {
            auto outcome = std::async(std::launch::async, [&] { return service->send(message); });
            while (service->pending_sends() == 0) std::this_thread::yield();
            std::thread stopper([&] { service->stop(); });
            while (!service->stopping()) std::this_thread::yield();
            { std::lock_guard lock(mutex); }  // the connecting thread waits now, or sees the stop when it looks
            changed.notify_all();
            stopper.join();
            EXPECT_FALSE(outcome.get().ok());
        }
        EXPECT_TRUE(modem.sent().empty()) << "sent after its caller was told it was not";
    }
}
