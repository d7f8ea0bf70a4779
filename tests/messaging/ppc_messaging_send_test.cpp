#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#include "core/u16.h"
#include "messaging/ppc_messaging.h"
#include "messaging/sms_messaging_api.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/fake_store.h"

namespace {

struct Sending : testing::Test {
    fake_store_t store;
    fake_provider_t provider;
    int dialogs = 0;
    std::function<void()> before_initialised;
    std::function<void(fake_dialog_t&)> while_shown;
    std::unique_ptr<ppc_messaging_t> messaging;

    void SetUp() override { make(provider.library()); }

    void make(sms_library_t library) {
        messaging = std::make_unique<ppc_messaging_t>(std::move(library), store, [this] {
            ++dialogs;
            auto d = std::make_unique<fake_dialog_t>();
            d->before_initialised = before_initialised;
            d->while_shown = while_shown;
            return d;
        });
        messaging->set_number(u"+79001234567");
        messaging->set_text(u"BAL");
    }
};

struct composition_case {
    const char16_t* text;
    const char16_t* number;
    const char16_t* port;  // null: set_port is never called
    bool present;
    const char16_t* version;  // null: left at its default
    const char16_t* suffix;
    bool result;
    const char16_t* outgoing;  // null: nothing is sent and no dialog is shown
};

TEST_F(Sending, ComposesTheOutgoingText) {
    const composition_case cases[] = {
        {u"BAL", u"+7900", u"7", true, nullptr, u"", true, u"{7}BAL;;ver=w2.17"},
        {u"BAL", u"+7900", nullptr, true, nullptr, u"", true, u"BAL;;ver=w2.17"},
        {u"BAL", u"+7900", u"7", false, nullptr, u"", true, u"BAL;;ver=w2.17"},
        {u"BAL", u"+7900", u"", true, nullptr, u"", true, u"{}BAL;;ver=w2.17"},
        {u"PAY 1 2", u"900", nullptr, false, u"3.01", u"#END", true, u"PAY 1 2;;ver=w3.01#END"},
        {u"BAL", u"+7900", u"7", true, u"", u"", true, u"{7}BAL;;ver=w"},
        {u"", u"+7900", u"7", true, nullptr, u"", true, nullptr},
        {u"", u"", nullptr, false, nullptr, u"", true, nullptr},
        {u"BAL", u"", u"7", true, nullptr, u"", false, nullptr},
    };
    for (const auto& c : cases) {
        fake_provider_t p;
        dialogs = 0;
        make(p.library());
        messaging->set_text(c.text);
        messaging->set_number(c.number);
        if (c.port) messaging->set_port(c.port);
        messaging->set_port_present(c.present);
        if (c.version) messaging->set_version(c.version);
        messaging->set_suffix(c.suffix);
        SCOPED_TRACE(to_utf8(c.outgoing ? c.outgoing : u"(nothing)"));
        EXPECT_EQ(messaging->send(), c.result);
        // A retry sends the same text again: the stored text stays as set.
        EXPECT_EQ(messaging->send(), c.result);
        messaging.reset();
        auto sent = p.sent_copy();
        if (!c.outgoing) {
            EXPECT_TRUE(sent.empty());
            EXPECT_EQ(dialogs, 0);
            continue;
        }
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].text, c.outgoing);
        EXPECT_EQ(sent[1].text, c.outgoing);
        EXPECT_EQ(dialogs, 2);
    }
}

TEST_F(Sending, FillsTheProviderRecords) {
    ASSERT_TRUE(messaging->send());
    messaging.reset();
    ASSERT_EQ(provider.sent.size(), 1u);
    EXPECT_EQ(provider.providers, std::vector<std::u16string>{u"Microsoft Text SMS Protocol"});
    const auto& s = provider.sent[0];
    EXPECT_EQ(s.address.type, sms_address_type_international);
    EXPECT_EQ(std::u16string(s.address.address), u"+79001234567");
    EXPECT_EQ(s.encoding, 1u);
    EXPECT_EQ(s.options, 0u);
    EXPECT_EQ(s.data.message_options, 0u);
    EXPECT_EQ(s.data.message_class, 1u);
    EXPECT_EQ(s.data.replace_option, 0u);
    EXPECT_EQ(s.data.header_length, 6u);
    const uint8_t header[] = {0x05, 0x04, 0x22, 0x01, 0x22, 0x01};
    EXPECT_TRUE(std::equal(std::begin(header), std::end(header), s.data.header_data));
    EXPECT_TRUE(std::all_of(s.data.header_data + 6, std::end(s.data.header_data), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(s.data.contains_ems_headers, 0u);
    EXPECT_EQ(s.data.protocol_id, 0u);
}

TEST(SmsRecords, AddressTypeAndLength) {
    EXPECT_EQ(sms_messaging_api_t::make_address(u"+7900").type, sms_address_type_international);
    for (auto number : {u"89001234567", u" +7900", u"", u"00"})
        EXPECT_EQ(sms_messaging_api_t::make_address(number).type, sms_address_type_national) << to_utf8(number);
    std::u16string longest(300, u'9');
    longest[255] = u'1';
    auto address = sms_messaging_api_t::make_address(longest);
    EXPECT_EQ(std::u16string(address.address, 256), longest.substr(0, 256));
    EXPECT_EQ(sms_messaging_api_t::make_provider_data(false).header_length, 0u);
    EXPECT_EQ(sms_messaging_api_t::make_provider_data(false).header_data[0], 0);
}

TEST_F(Sending, OutcomeOfTheProvider) {
    struct outcome_case {
        const char* what;
        int32_t open_result;
        sms_handle_t handle;
        int32_t send_result;
        send_outcome_t result;
        int submits;
        int closes;
    };
    const outcome_case cases[] = {
        {"accepted", 0, 7, 0, send_outcome_t::sent, 1, 1},
        {"refused by the modem", 0, 7, sms_error_not_sent, send_outcome_t::not_sent, 1, 1},
        {"taken without a definite answer", 0, 7, sms_error_unknown, send_outcome_t::unknown, 1, 1},
        {"no modem", 1, 7, 0, send_outcome_t::not_sent, 0, 0},
        {"open without a handle", 0, 0, 0, send_outcome_t::not_sent, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake_provider_t p;
        p.open_result = c.open_result;
        p.handle = c.handle;
        p.send_result = c.send_result;
        dialogs = 0;
        make(p.library());
        EXPECT_EQ(messaging->send_for_outcome(), c.result);
        messaging.reset();
        EXPECT_EQ(dialogs, 1);
        EXPECT_EQ(static_cast<int>(p.sent.size()), c.submits);
        EXPECT_EQ(p.closes, c.closes);
    }
}

TEST_F(Sending, MissingProviderCallsFailEverySend) {
    for (int missing = 0; missing < 3; ++missing) {
        fake_provider_t p;
        auto lib = p.library();
        if (missing == 0) lib.open = nullptr;
        if (missing == 1) lib.send = nullptr;
        if (missing == 2) lib.close = nullptr;
        make(lib);
        EXPECT_FALSE(messaging->send()) << missing;
        messaging.reset();
        EXPECT_TRUE(p.sent.empty());
    }
}

TEST_F(Sending, CancelWhileTheWorkerSends) {
    latch_t in_submit, release_submit;
    provider.while_sending = [&] {
        in_submit.open();
        release_submit.wait();
    };
    while_shown = [&](fake_dialog_t& dialog) {
        in_submit.wait();
        dialog.end_cancel();  // the user presses "Отмена"
    };
    make(provider.library());
    EXPECT_FALSE(messaging->send()) << "a cancel returns at once, while the modem still works";
    EXPECT_TRUE(provider.sent_copy().empty());
    // The late result of the worker is dropped; it finds the dialog gone and gives up.
    release_submit.open();
    messaging.reset();
    EXPECT_EQ(provider.sent.size(), 1u);
    EXPECT_EQ(provider.closes, 1);
}

TEST_F(Sending, CancelWithdrawsWhatTheProviderHasNotHandedOver) {
    // The provider says whether the withdrawal came before anything was handed over: not sent, or unknown.
    for (const int32_t withdrawn : {sms_ok, sms_error_unknown}) {
        fake_provider_t p;
        latch_t in_submit, release_submit;
        std::atomic<int> withdrawals{0};
        p.while_sending = [&] {
            in_submit.open();
            release_submit.wait();
        };
        sms_library_t library = p.library();
        library.withdraw = [&](sms_handle_t) {
            ++withdrawals;
            return withdrawn;
        };
        while_shown = [&](fake_dialog_t& dialog) {
            in_submit.wait();
            dialog.end_cancel();
        };
        make(std::move(library));
        EXPECT_EQ(messaging->send_for_outcome(),
                  withdrawn == sms_ok ? send_outcome_t::not_sent : send_outcome_t::unknown);
        EXPECT_EQ(withdrawals, 1);
        release_submit.open();
        messaging.reset();
    }
}

TEST_F(Sending, LateResultOfACancelledSendNeverEndsTheRetry) {
    // The first send is cancelled while its worker still sends; the user answers "повторить?" with Yes.
    // The retry's worker lets the first one finish and waits (boundedly) for its own dialog to be ended by
    // someone else: only the late worker of the first send could do it, and must not.
    latch_t first_in_submit, release_first, retry_shown;
    std::atomic<int> submits{0};
    std::atomic<fake_dialog_t*> retry_dialog{nullptr};
    provider.results = {0, 1};  // the first submit went out; the retry is refused by the modem
    provider.while_sending = [&] {
        if (submits++ == 0) {
            first_in_submit.open();
            release_first.wait();
            return;
        }
        retry_shown.wait();
        release_first.open();
        retry_dialog.load()->wait_closed(std::chrono::seconds(2));
    };
    int shown = 0;
    while_shown = [&](fake_dialog_t& dialog) {
        if (++shown == 1) {
            first_in_submit.wait();
            dialog.end_cancel();
        } else {
            retry_dialog = &dialog;
            retry_shown.open();
        }
    };
    make(provider.library());
    EXPECT_FALSE(messaging->send());
    EXPECT_FALSE(messaging->send()) << "the first send's late success ended the retry's dialog";
    messaging.reset();
    EXPECT_EQ(provider.sent.size(), 2u);
}

TEST_F(Sending, SendFromInsideTheSendingDialogIsRefusedCleanly) {
    // A bank confirmation handled by the dialog's nested loop asks for a second send meanwhile.
    std::optional<bool> nested;
    while_shown = [&](fake_dialog_t&) { nested = messaging->send(); };
    make(provider.library());
    EXPECT_TRUE(messaging->send());
    ASSERT_TRUE(nested.has_value());
    EXPECT_FALSE(*nested);
    messaging.reset();
    EXPECT_EQ(provider.sent.size(), 1u) << "only the request in flight leaves";
}

TEST_F(Sending, WorkerFinishingBeforeTheDialogIsInitialised) {
    for (int32_t send_result : {0, 1}) {
        fake_provider_t p;
        p.send_result = send_result;
        latch_t closed;
        p.on_close = [&] { closed.open(); };
        before_initialised = [&] { closed.wait(); };
        make(p.library());
        EXPECT_EQ(messaging->send(), send_result == 0);
        messaging.reset();
    }
}

TEST(SendAsync, HandOverEndsWhenTheWorkerFinishedWithinTheWait) {
    // Without a dialog to wait for, the worker can be through before the sender looks for it again.
    fake_provider_t provider;
    for (int i = 0; i < 20; ++i) {
        sms_messaging_api_t api(provider.library());
        api.send_async(u"BAL", u"+7900", u"", nullptr);
    }
    EXPECT_EQ(provider.sent.size(), 20u);
    EXPECT_EQ(provider.sent[0].data.header_length, 0u) << "no port, no header";
}

TEST(SendingDialog, TheFirstEndDecides) {
    // A worker's success that comes after the user's cancel (or the other way round) changes nothing.
    for (bool cancel_first : {true, false}) {
        fake_dialog_t dialog;
        dialog.while_shown = [&](fake_dialog_t& d) {
            if (cancel_first) d.end_cancel();
            d.end_success();
            d.end_cancel();
        };
        EXPECT_EQ(dialog.run(), !cancel_first);
    }
}

}  // namespace
