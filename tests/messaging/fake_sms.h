#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "messaging/sms_dialog.h"
#include "messaging/sms_library.h"

// A provider that records what it was given; its outcome and a hook inside the submit are set by the test.
struct fake_provider_t {
    struct sent_t {
        sms_address_record_t address;
        std::u16string text;
        sms_text_provider_data_t data;
        uint32_t encoding;
        uint32_t options;
    };

    int32_t open_result = 0;
    sms_handle_t handle = 7;
    int32_t send_result = 0;
    std::vector<int32_t> results;         // per submit, in order, when set; send_result for the rest
    std::function<void()> while_sending;  // runs on the worker inside the submit
    std::function<void()> on_close;       // runs on the worker after the close

    std::mutex lock;
    std::vector<sent_t> sent;
    std::vector<std::u16string> providers;
    int opens = 0;
    int closes = 0;

    std::vector<sent_t> sent_copy() {
        std::lock_guard hold(lock);
        return sent;
    }

    sms_library_t library() {
        sms_library_t lib;
        lib.open = [this](std::u16string_view provider, uint32_t mode, sms_handle_t& h) {
            std::lock_guard hold(lock);
            ++opens;
            providers.emplace_back(provider);
            if (mode != sms_mode_send) return -1;
            h = open_result == 0 ? handle : 0;
            return open_result;
        };
        lib.send = [this](sms_handle_t h, const sms_address_record_t& to, std::u16string_view text,
                          const sms_text_provider_data_t& data, uint32_t encoding, uint32_t options) {
            if (while_sending) while_sending();
            std::lock_guard hold(lock);
            sent.push_back({to, std::u16string(text), data, encoding, options});
            const int32_t result = sent.size() <= results.size() ? results[sent.size() - 1] : send_result;
            return h == handle ? result : -1;
        };
        lib.close = [this](sms_handle_t) {
            {
                std::lock_guard hold(lock);
                ++closes;
            }
            if (on_close) on_close();
        };
        return lib;
    }
};

// A one-shot latch for handing a moment from one thread to another without sleeping.
class latch_t {
public:
    void open() {
        {
            std::lock_guard hold(lock_);
            open_ = true;
        }
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock hold(lock_);
        changed_.wait(hold, [this] { return open_; });
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool open_ = false;
};

// The sending dialog without a window: the "user" acts through the hooks on the user-interface thread.
class fake_dialog_t : public sms_dialog_t {
public:
    std::function<void()> before_initialised;
    std::function<void(fake_dialog_t&)> while_shown;  // e.g. the user presses "Отмена"

    // For a worker that must not be the one to end this dialog: waits at most `limit` for the end.
    void wait_closed(std::chrono::milliseconds limit) {
        std::unique_lock hold(lock_);
        closed_changed_.wait_for(hold, limit, [this] { return closed_; });
    }

protected:
    void exec_modal() override {
        if (before_initialised) before_initialised();
        initialised();
        if (while_shown) while_shown(*this);
        std::unique_lock hold(lock_);
        closed_changed_.wait(hold, [this] { return closed_; });
    }
    void close_modal(bool) override {
        {
            std::lock_guard hold(lock_);
            closed_ = true;
        }
        closed_changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable closed_changed_;
    bool closed_ = false;
};
