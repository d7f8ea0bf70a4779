// The messaging object on the modem's SMS provider and message store, against the simulated modem and bank.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>

#include "messaging/modem_message_store.h"
#include "messaging/modem_sms_library.h"
#include "messaging/ppc_mapi_ex.h"
#include "messaging/ppc_messaging.h"
#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_message_store.h"
#include "platform/modem/sms_provider.h"
#include "resources/texts.h"
#include "sim/sim_modem.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/waiting_application.h"
#include "tests/storage/temp_dir.h"

namespace {

using texts_t = std::vector<std::u16string>;

struct OnTheSimulatedModem : testing::Test {
    // A folder of its own: CTest runs the cases of this program side by side.
    temp_dir_t dir;
    std::filesystem::path folder = dir.path();
    manual_clock_t clock;
    sim_modem_t sim{clock};
    bool link = true;
    std::filesystem::path ledger = folder / "ledger";
    std::unique_ptr<modem_service_t> service;
    std::unique_ptr<sms_provider_t> provider;
    std::unique_ptr<sms_message_store_t> store;
    std::unique_ptr<modem_message_store_t> store_access;
    std::unique_ptr<ppc_messaging_t> messaging;
    waiting_application_t app;

    void TearDown() override { stop(); }

    // Starts the program's side: the modem service, its provider and store, and the messaging object.
    void start() {
        modem_options_t options;
        options.connect = [this]() -> std::unique_ptr<transport_t> {
            if (!link) throw link_error_t("no modem on the line");
            return std::make_unique<memory_transport_t>(sim, clock);
        };
        options.clock = &clock;
        options.ledger_file = ledger;
        service = std::make_unique<modem_service_t>(options);
        const bool ready = service->connect();
        provider = std::make_unique<sms_provider_t>(*service);
        store = std::make_unique<sms_message_store_t>(*service);
        store_access = std::make_unique<modem_message_store_t>(*store, [ready] { return ready; });
        messaging = std::make_unique<ppc_messaging_t>(modem_sms_library(*provider), *store_access,
                                                      [] { return std::make_unique<fake_dialog_t>(); });
        messaging->set_number(u"+79001234567");
    }
    void stop() {
        messaging.reset();
        store_access.reset();
        store.reset();
        provider.reset();
        service.reset();
    }
};

TEST_F(OnTheSimulatedModem, RequestAnswerAndConfirmation) {
    start();
    ASSERT_TRUE(messaging->start_watch(app));
    messaging->deliver();
    messaging->set_port(u"7");
    messaging->set_port_present(true);
    messaging->set_text(u"BAL");
    ASSERT_TRUE(messaging->send());
    ASSERT_EQ(sim.sent().size(), 1u);
    EXPECT_EQ(sim.sent()[0].destination, u"+79001234567");
    EXPECT_EQ(sim.sent()[0].text, u"{7}BAL;;ver=w2.17");
    EXPECT_EQ(sim.sent()[0].port, 0x2201);
    EXPECT_EQ(sim.sent()[0].message_class, 1);

    // The bank answers after a while; the store's notification hands the answer over, prefix and marker gone.
    service->pump(std::chrono::seconds(5));
    EXPECT_EQ(app.next(0), texts_t{u"Баланс карты: 12 345,67 руб. "});

    messaging->set_text(u"PAY 100");
    ASSERT_TRUE(messaging->send());
    service->pump(std::chrono::seconds(5));
    const texts_t request = app.next(1);
    ASSERT_EQ(request.size(), 1u);
    const std::u16string code = messaging->rule().confirmation_code(request[0]);
    ASSERT_EQ(code.size(), 9u);
    messaging->set_text(code);
    ASSERT_TRUE(messaging->send());
    service->pump(std::chrono::seconds(5));
    const texts_t confirmed = app.next(2);
    EXPECT_EQ(confirmed, texts_t{u"Платёж подтверждён. Спасибо! "});
    ASSERT_EQ(confirmed.size(), 1u);
    EXPECT_EQ(messaging->rule().confirmation_code(confirmed[0]), u"") << "shown as information, not asked again";

    messaging->deliver();
    std::lock_guard hold(app.lock);
    EXPECT_EQ(app.batches.size(), 3u) << "each answer is handed over once";
}

TEST_F(OnTheSimulatedModem, RefusalAndLostLinkFailTheSend) {
    start();
    messaging->set_text(u"BAL");
    sim.inject({sim_fault_t::cms_error, 21, {}});  // short message transfer rejected
    EXPECT_FALSE(messaging->send());
    EXPECT_TRUE(messaging->send()) << "the fault was for one send";
    sim.hang_up();
    EXPECT_FALSE(messaging->send());
}

TEST_F(OnTheSimulatedModem, AnswerThatCameWhileClosedIsShownOnceAtStart) {
    sim.deliver(u"+79001234567", u"Зачисление 500,00 руб. APP_PORT=2201");
    sim.deliver(u"+79005550000", u"Привет!");
    start();
    ASSERT_TRUE(messaging->start_watch(app));
    messaging->deliver();
    EXPECT_EQ(app.next(0), texts_t{u"Зачисление 500,00 руб. "});
    stop();

    // After a restart on the same ledger nothing is handed over again.
    waiting_application_t again;
    start();
    ASSERT_TRUE(messaging->start_watch(again));
    messaging->deliver();
    std::lock_guard hold(again.lock);
    EXPECT_TRUE(again.batches.empty());
}

TEST_F(OnTheSimulatedModem, StartUpFailures) {
    link = false;
    try {
        start();
        ADD_FAILURE() << "started without a modem";
    } catch (const ppc_mapi_ex_t& e) {
        EXPECT_EQ(e.text(), texts::mapi_init_failed);
    }
    stop();

    // A ledger that cannot be written could never let the modem's copies go: the store is unusable.
    link = true;
    std::ofstream(folder / "file") << "not a folder";
    ledger = folder / "file" / "ledger";
    try {
        start();
        ADD_FAILURE() << "started on a ledger that cannot be written";
    } catch (const ppc_mapi_ex_t& e) {
        EXPECT_EQ(e.text(), texts::mapi_logon_failed);
    }
}

}  // namespace
