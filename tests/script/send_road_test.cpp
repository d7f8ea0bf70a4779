// The whole road of a request: a form filled and confirmed, the request sent by the real messaging object
// through the modem's SMS provider to the simulated modem, and the bank's answer coming back.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>

#include "messaging/modem_message_store.h"
#include "messaging/modem_sms_library.h"
#include "messaging/ppc_messaging.h"
#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_message_store.h"
#include "platform/modem/sms_provider.h"
#include "resources/texts.h"
#include "script_run.h"
#include "sim/sim_modem.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/waiting_application.h"
#include "tests/storage/temp_dir.h"

namespace {

using texts_t = std::vector<std::u16string>;

TEST(SendRoad, FormToThePduAtTheModemAndTheBanksAnswerBack) {
    const temp_dir_t dir;
    const std::filesystem::path& folder = dir.path();
    manual_clock_t clock;
    sim_modem_t sim{clock};
    modem_options_t options;
    options.connect = [&]() -> std::unique_ptr<transport_t> {
        return std::make_unique<memory_transport_t>(sim, clock);
    };
    options.clock = &clock;
    options.ledger_file = folder / "ledger";
    waiting_application_t app;
    {
        modem_service_t service(options);
        const bool ready = service.connect();
        ASSERT_TRUE(ready);
        sms_provider_t provider(service);
        sms_message_store_t store(service);
        modem_message_store_t store_access(store, [ready] { return ready; });
        ppc_messaging_t messaging(modem_sms_library(provider), store_access,
                                  [] { return std::make_unique<fake_dialog_t>(); });
        ASSERT_TRUE(messaging.start_watch(app));
        messaging.deliver();

        script_run_t run("payment", &messaging);
        run.run(u"pay", [&](recording_form_t& form) {
            user::choose(form, u"Карта", u"Кредитная - 5469000033334444");
            user::choose(form, u"Валюта", u"Рубли");
            user::type(form, u"Сумма", u"1500");
            user::type(form, u"Срок", u"0427");
            user::type(form, u"Счёт", u"123456");
            run.display.answers = {true};
            EXPECT_TRUE(user::press(form, u"Отправить"));
        });
        EXPECT_EQ(run.alerts().back(), u"alert.show(" + std::u16string(texts::send_succeeded) + u"|0)");

        // What the modem was given, read back from the PDU it received.
        ASSERT_EQ(sim.sent().size(), 1u);
        const sim_sent_t& sms = sim.sent()[0];
        EXPECT_EQ(sms.destination, u"+79001234567");
        EXPECT_EQ(sms.text, u"{7}PAY 5469000033334444 810 150000 2704 00123456;;ver=w3.1");
        EXPECT_EQ(sms.port, 0x2201);
        EXPECT_EQ(sms.message_class, 1);

        service.pump(std::chrono::seconds(5));
        const texts_t answer = app.next();
        ASSERT_EQ(answer.size(), 1u);
        EXPECT_EQ(answer[0].rfind(u"Запрос на платёж принят. Для подтверждения отправьте код CFM", 0), 0u);
        EXPECT_EQ(messaging.rule().confirmation_code(answer[0]).size(), 9u);
    }
}

// ---- how each behaviour of the modem ends for the user ------------------------------------------------------

std::u16string shown(const std::u16string& text, int kind) {
    return u"alert.show(" + text + u"|" + std::u16string(1, char16_t(u'0' + kind)) + u")";
}

const std::u16string told_sent = shown(texts::send_succeeded, 0);
const std::u16string offered_retry = shown(texts::send_retry_question, 2);
const std::u16string told_unknown = shown(texts::send_outcome_unknown, 0);
const std::u16string warned_repeat = shown(texts::send_repeat_question, 3);

// When the user presses "Отмена" in the sending dialog: not at all, while the request waits to be handed to the
// modem, or once it has been handed over.
enum class cancel_t { never, before_pdu, after_pdu };

struct road_case_t {
    const char* what;
    std::function<void(sim_modem_t&)> modem;  // the modem's behaviour, set before the key is pressed
    bool long_request;                        // two parts
    cancel_t cancel;
    std::deque<bool> answers;          // the confirmation, then each yes/no question in turn
    size_t pdus;                       // request PDUs that reached the modem
    size_t requests;                   // whole requests the network passed on to the bank
    std::vector<std::u16string> told;  // every box after the confirmation
    bool form_open;                    // after the user's last answer
};

class SendOutcome : public testing::TestWithParam<road_case_t> {};

TEST_P(SendOutcome, UserIsToldWhatTheModemSaidAndNothingLeavesTwiceUnasked) {
    const road_case_t& c = GetParam();
    const temp_dir_t dir;
    manual_clock_t clock;
    sim_modem_t sim{clock};
    modem_options_t options;
    options.connect = [&]() -> std::unique_ptr<transport_t> {
        return std::make_unique<memory_transport_t>(sim, clock);
    };
    options.clock = &clock;
    options.ledger_file = dir.path() / "ledger";
    sim.set_bank_delay(modem_time_t(3'600'000));  // the bank's answers play no part here
    modem_service_t service(options);
    ASSERT_TRUE(service.connect());
    sms_provider_t provider(service);
    sms_message_store_t store(service);
    modem_message_store_t store_access(store, [] { return true; });

    // The moments of a cancel: the worker holds before (or after) the provider's submit until the user has
    // pressed "Отмена", and goes on only once the user has answered every question.
    latch_t at_submit, user_done;
    int submits = 0;
    sms_library_t library = modem_sms_library(provider);
    library.send = [send = library.send, &c, &submits, &at_submit, &user_done](
                       sms_handle_t h, const sms_address_record_t& to, std::u16string_view text,
                       const sms_text_provider_data_t& data, uint32_t encoding, uint32_t opts) {
        const bool first = submits++ == 0;
        if (first && c.cancel == cancel_t::before_pdu) {
            at_submit.open();
            user_done.wait();
        }
        const int32_t result = send(h, to, text, data, encoding, opts);
        if (first && c.cancel == cancel_t::after_pdu) {
            at_submit.open();
            user_done.wait();
        }
        return result;
    };
    int dialogs = 0;
    bool form_open = false;
    {
        ppc_messaging_t messaging(std::move(library), store_access, [&] {
            auto dialog = std::make_unique<fake_dialog_t>();
            if (c.cancel != cancel_t::never && dialogs++ == 0)
                dialog->while_shown = [&](fake_dialog_t& d) {
                    at_submit.wait();
                    d.end_cancel();
                };
            return dialog;
        });
        script_run_t run("payment", &messaging);
        if (c.long_request) messaging.set_suffix(u";" + std::u16string(200, u'x'));
        c.modem(sim);
        run.run(u"pay", [&](recording_form_t& form) {
            user::type(form, u"Сумма", u"1500");
            user::type(form, u"Срок", u"0427");
            user::type(form, u"Счёт", u"123456");
            run.display.answers = c.answers;
            EXPECT_TRUE(user::press(form, u"Отправить"));
            form_open = form.is_open();
        });
        user_done.open();
        std::vector<std::u16string> alerts = run.alerts();
        ASSERT_FALSE(alerts.empty());
        alerts.erase(alerts.begin());  // the confirmation
        EXPECT_EQ(alerts, c.told);
        EXPECT_TRUE(run.display.answers.empty()) << "a question the user expected was not asked";
    }
    // Every worker has ended: whatever a cancelled request would still do, it has done.
    EXPECT_EQ(sim.pdus_received(), c.pdus);
    EXPECT_EQ(sim.sent().size(), c.requests);
    EXPECT_EQ(form_open, c.form_open);
}

void nothing(sim_modem_t&) {}

INSTANTIATE_TEST_SUITE_P(
    Road, SendOutcome,
    testing::Values(
        road_case_t{"answered at once", nothing, false, cancel_t::never, {true}, 1, 1, {told_sent}, false},
        // A slow modem: every answer 4 s late, within each command's time.
        road_case_t{"answers 4 s late",
                    [](sim_modem_t& m) { m.set_answer_delay(modem_time_t(4'000)); },
                    false,
                    cancel_t::never,
                    {true},
                    1,
                    1,
                    {told_sent},
                    false},
        // The link is gone when the user sends: nothing is written, and the user may try again.
        road_case_t{"link down",
                    [](sim_modem_t& m) { m.hang_up(); },
                    false,
                    cancel_t::never,
                    {true, false},
                    0,
                    0,
                    {offered_retry},
                    true},
        // The prompt comes after the engine gave up: nothing was written. The retry finds the modem in step
        // again (its late prompt and answers drained) and goes out once.
        road_case_t{"prompt 12 s late",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::delay, 12'000});
                    },
                    false,
                    cancel_t::never,
                    {true, true},
                    1,
                    1,
                    {offered_retry, told_sent},
                    false},
        road_case_t{"refused after the PDU with a cause that took nothing",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::cms_error, 21});
                    },
                    false,
                    cancel_t::never,
                    {true, false},
                    1,
                    0,
                    {offered_retry},
                    true},
        road_case_t{"congested, then through",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::cms_error, 42});
                    },
                    false,
                    cancel_t::never,
                    {true},
                    2,
                    1,
                    {told_sent},
                    false},
        // Taken and never acknowledged: maybe sent. No plain retry; the repeat is declined, the form goes.
        road_case_t{"acknowledgement lost",
                    [](sim_modem_t& m) { m.inject({sim_fault_t::lost_acknowledgement}); },
                    false,
                    cancel_t::never,
                    {true, false},
                    1,
                    1,
                    {told_unknown, warned_repeat},
                    false},
        road_case_t{"+CMS ERROR: 500 after the PDU",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::cms_error, 500});
                    },
                    false,
                    cancel_t::never,
                    {true, false},
                    1,
                    0,
                    {told_unknown, warned_repeat},
                    false},
        road_case_t{"+CMS ERROR: 332 after the PDU",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::cms_error, 332});
                    },
                    false,
                    cancel_t::never,
                    {true, false},
                    1,
                    0,
                    {told_unknown, warned_repeat},
                    false},
        road_case_t{"link drops after the PDU",
                    [](sim_modem_t& m) { m.inject({sim_fault_t::hang_up_after_pdu}); },
                    false,
                    cancel_t::never,
                    {true, false},
                    1,
                    1,
                    {told_unknown, warned_repeat},
                    false},
        // The user insists after the warning: the repeat is the user's own choice, and it goes out once more.
        road_case_t{"acknowledgement lost, repeat chosen",
                    [](sim_modem_t& m) { m.inject({sim_fault_t::lost_acknowledgement}); },
                    false,
                    cancel_t::never,
                    {true, true},
                    2,
                    2,
                    {told_unknown, warned_repeat, told_sent},
                    false},
        // Part 2 refused after part 1 left: unknown, and part 1 is not sent again unasked.
        road_case_t{"part 2 refused, part 1 gone",
                    [](sim_modem_t& m) {
                        m.inject({sim_fault_t::refuse_later_part, 2});
                    },
                    true,
                    cancel_t::never,
                    {true, false},
                    2,
                    0,
                    {told_unknown, warned_repeat},
                    false},
        road_case_t{"two parts answered at once", nothing, true, cancel_t::never, {true}, 2, 1, {told_sent}, false},
        // Escape while the request waits for the modem: withdrawn; it never leaves, also after No to the retry.
        road_case_t{"cancelled before the PDU",
                    nothing,
                    false,
                    cancel_t::before_pdu,
                    {true, false},
                    0,
                    0,
                    {offered_retry},
                    true},
        // Escape once the PDU was handed over: unknown, never "not sent".
        road_case_t{"cancelled after the PDU",
                    nothing,
                    false,
                    cancel_t::after_pdu,
                    {true, false},
                    1,
                    1,
                    {told_unknown, warned_repeat},
                    false}),
    [](const testing::TestParamInfo<road_case_t>& row) {
        std::string name;
        for (const char* p = row.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

}  // namespace
