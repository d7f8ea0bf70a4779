#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "messaging/sms_handler.h"

// Stands for the program where the bank's answers arrive: they come in batches on the store's
// notification thread, and the test waits for the one it expects.
struct waiting_application_t : confirm_handler_t {
    using texts_t = std::vector<std::u16string>;

    std::mutex lock;
    std::condition_variable arrived;
    std::vector<texts_t> batches;

    void confirm_messages(texts_t texts, sms_rule_t&, seen_t seen) override {
        // The user sees each at once.
        if (seen)
            for (size_t i = 0; i < texts.size(); ++i) seen(i);
        {
            std::lock_guard hold(lock);
            batches.push_back(std::move(texts));
        }
        arrived.notify_all();
    }
    // The batch at `index` in arrival order; a generous bound only turns a lost notification into a failure
    // instead of a hang.
    texts_t next(size_t index = 0) {
        std::unique_lock hold(lock);
        if (!arrived.wait_for(hold, std::chrono::seconds(60), [&] { return batches.size() > index; })) return {};
        return batches[index];
    }
};
