#include "messaging/inbox_watch.h"

#include <gtest/gtest.h>

#include "core/u16.h"
#include "messaging/notify.h"
#include "messaging/ppc_mapi_ex.h"
#include "messaging/ppc_messaging.h"
#include "resources/texts.h"
#include "tests/messaging/fake_store.h"

namespace {

using texts_t = std::vector<std::u16string>;

struct recording_application_t : confirm_handler_t {
    std::vector<texts_t> batches;
    std::vector<seen_t> acknowledgements;
    sms_rule_t* rule = nullptr;
    bool user_sees_at_once = true;  // else the test acknowledges through `acknowledgements`
    void confirm_messages(texts_t texts, sms_rule_t& r, seen_t seen) override {
        const size_t n = texts.size();
        batches.push_back(std::move(texts));
        rule = &r;
        if (user_sees_at_once && seen)
            for (size_t i = 0; i < n; ++i) seen(i);
        acknowledgements.push_back(std::move(seen));
    }
};

sms_library_t no_sms() {
    return {};
}

struct InboxWatch : testing::Test {
    fake_store_t store;
    recording_application_t app;
    std::unique_ptr<ppc_messaging_t> messaging;

    void start() {
        messaging = std::make_unique<ppc_messaging_t>(no_sms(), store, nullptr);
        ASSERT_TRUE(messaging->start_watch(app));
        messaging->deliver();
    }
};

TEST_F(InboxWatch, StartUpDeliversUnreadBankMessagesOnce) {
    store.add({u"Баланс 100 APP_PORT=2201"});
    store.add({u"Старое APP_PORT=2201", message_flag_read});
    store.add({u"Привет от друга"});
    store.add({u"Платеж APPPORT=2201 CFM12"});
    store.add({u"Не сообщение APP_PORT=2201", 0, 3});
    store.add({u"Нечитаемое APP_PORT=2201", 0, object_type_message, true});
    start();
    ASSERT_EQ(app.batches.size(), 1u);
    EXPECT_EQ(app.batches[0], (texts_t{u"Баланс 100 ", u"Платеж  CFM12"}));
    EXPECT_EQ(app.rule, &messaging->rule());
    EXPECT_EQ(store.at(0).flags, message_flag_read);
    EXPECT_EQ(store.at(2).flags, 0u) << "a message the rule rejects stays unread";
    EXPECT_EQ(store.at(3).flags, message_flag_read);
    EXPECT_EQ(store.at(4).flags, 0u);

    messaging->deliver();
    EXPECT_EQ(app.batches.size(), 1u) << "nothing is handed over twice";
}

TEST_F(InboxWatch, AMessageIsMarkedReadOnlyOnceTheUserHasSeenIt) {
    store.add({u"Первое APP_PORT=2201"});
    store.add({u"Второе CFM12 APP_PORT=2201"});
    app.user_sees_at_once = false;
    start();
    ASSERT_EQ(app.batches.size(), 1u);
    EXPECT_EQ(store.at(0).flags, 0u) << "handed over is not seen";
    EXPECT_EQ(store.at(1).flags, 0u);
    // While the batch is on screen, another walk does not hand it over again.
    store.notify({event_object_created});
    EXPECT_EQ(app.batches.size(), 1u);
    app.acknowledgements[0](0);
    EXPECT_EQ(store.at(0).flags, message_flag_read);
    EXPECT_EQ(store.at(1).flags, 0u);
    // The program ends (or dies) while the second is on screen: the next start shows it, and only it.
    messaging.reset();
    app.acknowledgements[0](1);  // too late: reaches nothing
    recording_application_t next;
    messaging = std::make_unique<ppc_messaging_t>(no_sms(), store, nullptr);
    ASSERT_TRUE(messaging->start_watch(next));
    messaging->deliver();
    ASSERT_EQ(next.batches.size(), 1u);
    EXPECT_EQ(next.batches[0], texts_t{u"Второе CFM12 "});
    EXPECT_EQ(store.at(1).flags, message_flag_read);
}

TEST_F(InboxWatch, NotificationOfACreatedObjectDeliversTheNewBatch) {
    start();
    EXPECT_TRUE(app.batches.empty());
    store.add({u"Перевод выполнен APP_PORT=2201"});
    store.add({u"Реклама"});
    EXPECT_EQ(store.notify({1, event_object_created}), 0) << "only the first notification is looked at";
    EXPECT_TRUE(app.batches.empty());
    EXPECT_EQ(store.notify({event_object_created, event_object_created}), 0);
    ASSERT_EQ(app.batches.size(), 1u);
    EXPECT_EQ(app.batches[0], texts_t{u"Перевод выполнен "});
    store.notify({event_object_created});
    EXPECT_EQ(app.batches.size(), 1u) << "a walk that finds nothing hands nothing over";
}

TEST_F(InboxWatch, PortPrefixIsCutOffAndRequired) {
    store.add({u"{7}Баланс APP_PORT=2201"});
    store.add({u"Баланс APP_PORT=2201"});
    messaging = std::make_unique<ppc_messaging_t>(no_sms(), store, nullptr);
    messaging->set_port(u"7");
    messaging->set_port_present(true);
    ASSERT_TRUE(messaging->start_watch(app));
    messaging->deliver();
    ASSERT_EQ(app.batches.size(), 1u);
    EXPECT_EQ(app.batches[0], texts_t{u"Баланс "});
    EXPECT_EQ(store.at(1).flags, 0u);
}

TEST_F(InboxWatch, WalkFailingPartWayLosesNoBankMessage) {
    for (auto fault : {store_fault::inbox_row, store_fault::inbox_entry}) {
        fake_store_t s;
        s.add({u"Первое APP_PORT=2201"});
        s.add({u"Второе APP_PORT=2201"});
        s.add({u"Третье APP_PORT=2201"});
        recording_application_t a;
        ppc_messaging_t m(no_sms(), s, nullptr);
        ASSERT_TRUE(m.start_watch(a));
        s.fault = fault;
        s.fail_at = 2;
        m.deliver();
        ASSERT_EQ(a.batches.size(), 1u);
        EXPECT_EQ(a.batches[0], (texts_t{u"Первое ", u"Второе "}));
        s.fault = store_fault::none;
        s.notify({event_object_created});
        ASSERT_EQ(a.batches.size(), 2u);
        EXPECT_EQ(a.batches[1], texts_t{u"Третье "});
    }
}

TEST_F(InboxWatch, UnreadableContentsTableHandsNothingOver) {
    store.add({u"Баланс APP_PORT=2201"});
    store.fault = store_fault::contents;
    start();
    EXPECT_TRUE(app.batches.empty());
    EXPECT_EQ(store.at(0).flags, 0u);
}

TEST_F(InboxWatch, EveryStartUpFailureHasItsMessageAndReleasesWhatWasOpened) {
    const std::pair<store_fault, const char16_t*> cases[] = {
        {store_fault::initialize, texts::mapi_init_failed},
        {store_fault::logon, texts::mapi_logon_failed},
        {store_fault::store_table, texts::mapi_no_table},
        {store_fault::set_columns, texts::mapi_columns_failed},
        {store_fault::store_row, texts::mapi_no_store},
        {store_fault::open_store, texts::mapi_store_open_failed},
        {store_fault::null_store, texts::mapi_no_sms_account},
        {store_fault::inbox_id, texts::mapi_no_folder_id},
        {store_fault::inbox_open, texts::mapi_folder_open_failed},
        {store_fault::second_id, texts::mapi_no_folder_id},
        {store_fault::second_open, texts::mapi_folder_open_failed},
    };
    for (const auto& [fault, message] : cases) {
        fake_store_t s;
        s.fault = fault;
        try {
            ppc_messaging_t m(no_sms(), s, nullptr);
            ADD_FAILURE() << "no error for fault " << static_cast<int>(fault);
        } catch (const ppc_mapi_ex_t& e) {
            EXPECT_EQ(e.text(), message) << to_utf8(message);
        }
        EXPECT_EQ(s.initialized, 0);
        EXPECT_EQ(s.logged_on, 0);
    }
}

TEST_F(InboxWatch, OnlyAStoreNamedExactlySmsWillDo) {
    for (auto name : {u"sms", u"SMS ", u"Outlook"}) {
        fake_store_t s;
        s.stores = {{name, "sms"}};
        try {
            ppc_messaging_t m(no_sms(), s, nullptr);
            ADD_FAILURE() << to_utf8(name);
        } catch (const ppc_mapi_ex_t& e) {
            EXPECT_EQ(e.text(), texts::mapi_no_store);
        }
    }
}

TEST_F(InboxWatch, AdviseFailure) {
    store.fault = store_fault::advise;
    try {
        inbox_watch_t w(store, nullptr, true);
        ADD_FAILURE();
    } catch (const ppc_mapi_ex_t& e) {
        EXPECT_EQ(e.text(), texts::mapi_advise_failed);
    }
    ppc_messaging_t m(no_sms(), store, nullptr);
    EXPECT_FALSE(m.start_watch(app));
}

TEST_F(InboxWatch, DestructionUnregistersAndLogsOff) {
    start();
    EXPECT_TRUE(messaging->start_watch(app));
    EXPECT_EQ(store.advised, 1) << "a second start keeps the one registration";
    messaging.reset();
    EXPECT_EQ(store.advised, 0);
    EXPECT_EQ(store.logged_on, 0);
    EXPECT_EQ(store.initialized, 0);
}

TEST(Notify, ReferenceCount) {
    auto* sink = new notify_t(nullptr);
    EXPECT_EQ(sink->query_interface(), result_not_implemented);
    EXPECT_EQ(sink->release(), 0u) << "a release at count 0 does nothing";
    EXPECT_EQ(sink->add_ref(), 1u);
    EXPECT_EQ(sink->add_ref(), 2u);
    EXPECT_EQ(sink->release(), 1u);
    EXPECT_EQ(sink->on_notify({}), 0);
    EXPECT_EQ(sink->release(), 0u);  // deleted here; the leak checker sees it otherwise
}

}  // namespace
