// Sends with the user cancelling, the modem failing and both threads stalling at random points, to find
// hangs, crashes and data races in the hand-over between the sender, the worker and the dialog. Runs in
// every build; `./dev tsan` runs it under ThreadSanitizer.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "messaging/ppc_messaging.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/fake_store.h"

namespace {

void stall(int turns) {
    for (int i = 0; i < turns; ++i) std::this_thread::yield();
}

TEST(SendingStress, CancelAtRandomPoints) {
    std::mt19937 random(20261210);
    auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    auto turns = [&] { return static_cast<int>(random() % 300); };
    fake_store_t store;
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        fake_provider_t provider;
        const bool opens = !chance(10);
        const bool accepts = !chance(20);
        provider.open_result = opens ? 0 : 1;
        provider.send_result = accepts ? 0 : 1;
        const int worker_stall = turns();
        provider.while_sending = [worker_stall] { stall(worker_stall); };

        const int init_stall = turns();
        const bool cancels = chance(40);
        const int cancel_stall = turns();
        ppc_messaging_t messaging(provider.library(), store, [&] {
            auto dialog = std::make_unique<fake_dialog_t>();
            dialog->before_initialised = [init_stall] { stall(init_stall); };
            if (cancels) {
                dialog->while_shown = [cancel_stall](fake_dialog_t& d) {
                    stall(cancel_stall);
                    d.end_cancel();
                };
            }
            return dialog;
        });
        messaging.set_number(u"+79001234567");
        messaging.set_text(u"BAL");
        for (int send = 0; send < 2; ++send) {
            const bool sent = messaging.send();
            if (!cancels) {
                EXPECT_EQ(sent, opens && accepts);
            }
            if (sent) {
                EXPECT_TRUE(opens && accepts) << "a failure reported as success";
            }
        }
    }
}

}  // namespace
