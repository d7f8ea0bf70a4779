// The whole road of a request: a form filled and confirmed, the request sent by the real messaging object
// through the modem's SMS provider to the simulated modem, and the bank's answer coming back.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
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

}  // namespace
