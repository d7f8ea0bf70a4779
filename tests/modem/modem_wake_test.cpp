// The modem service's thread sleeps while nothing is due, and whatever it must look at wakes it at once: a queued
// send, a new intake, a message the simulated bank posts from another thread, and stop(). On a manual clock an idle
// period waited out would show as time gone by.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/u16.h"
#include "platform/modem/modem_service.h"
#include "sim/modem_link.h"
#include "sim/sim_modem.h"
#include "sim/sim_remote.h"

namespace {

const std::u16string bank = u"+79001234567";

sms_outgoing_t request(const std::u16string& text) {
    sms_outgoing_t message;
    message.address = bank;
    message.text = text;
    return message;
}

struct wake_rig_t {
    manual_clock_t clock;
    std::shared_ptr<sim_remote_t> remote = std::make_shared<sim_remote_t>();
    std::unique_ptr<modem_service_t> service;
    std::mutex mutex;
    std::condition_variable changed;
    int notified = 0;  // under mutex

    // A bank that answers nothing: the simulated modem then has nothing scheduled of its own.
    explicit wake_rig_t(bool take_from_the_start) {
        modem_options_t o;
        o.connect = sim_connector(sim_bank_t(""), clock, remote);
        o.clock = &clock;
        if (take_from_the_start) o.intake = [](const std::u16string&) { return sms_intake_t::take; };
        service = std::make_unique<modem_service_t>(std::move(o));
        service->on_new_messages([this] {
            std::lock_guard lock(mutex);
            ++notified;
            changed.notify_all();
        });
        service->start();
    }
    bool wait_notified(int count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(60), [&] { return notified >= count; });
    }
};

TEST(ModemServiceWake, WhatTheThreadMustLookAtIsTakenWithoutAnIdleWait) {
    enum class what_t { send, intake, bank_message };
    struct case_t {
        const char* name;
        what_t what;
    };
    for (const case_t c : {case_t{"a queued send", what_t::send}, case_t{"a new intake", what_t::intake},
                           case_t{"a message posted to the simulated modem", what_t::bank_message}}) {
        SCOPED_TRACE(c.name);
        wake_rig_t rig(c.what != what_t::intake);
        if (c.what == what_t::intake)
            rig.remote->post([](sim_modem_t& modem) { modem.store_waiting(bank, u"Остаток 100,00 руб."); });
        // Once a first send has its answer the modem is up and its thread has nothing left to do.
        ASSERT_TRUE(rig.service->send(request(u"BAL")).ok());
        const modem_time_t idle_since = rig.clock.now();
        switch (c.what) {
            case what_t::send:
                EXPECT_TRUE(rig.service->send(request(u"PAY 100")).ok());
                break;
            case what_t::intake:
                rig.service->set_intake([](const std::u16string&) { return sms_intake_t::take; });
                EXPECT_TRUE(rig.wait_notified(1));
                break;
            case what_t::bank_message:
                rig.remote->bank_sends("Зачисление 500,00 руб.");
                EXPECT_TRUE(rig.wait_notified(1));
                break;
        }
        EXPECT_EQ((rig.clock.now() - idle_since).count(), 0) << "an idle period was waited out";
        // An idle thread ends at once as well: a stop that waited for a poll to run out would hang here for good.
        rig.service->stop();
        const auto messages = rig.service->ledger().messages();
        if (c.what != what_t::send) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].text.find(c.what == what_t::intake ? u"Остаток" : u"Зачисление"),
                      std::u16string::npos);
        }
    }
}

// A message that arrives while the storage is being listed is announced inside the listing's exchange: the thread
// walks again before it sleeps, instead of leaving the message in the modem until something else wakes it.
TEST(ModemServiceWake, AMessageAnnouncedDuringAWalkIsTakenBeforeTheThreadSleeps) {
    wake_rig_t rig(true);
    ASSERT_TRUE(rig.service->send(request(u"BAL")).ok());
    rig.remote->post([](sim_modem_t& modem) {
        modem.inject({sim_fault_t::cmti_during_listing, 0, "Неизвестный запрос."});
        modem.deliver(bank, u"Баланс карты: 12 345,67 руб.");
    });
    ASSERT_TRUE(rig.wait_notified(2)) << "the second message stayed in the modem";
    rig.service->stop();
    const auto messages = rig.service->ledger().messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, u"Неизвестный запрос.");
}

}  // namespace
