#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "messaging/sms_library.h"
#include "messaging/timed_lock.h"
#include "platform/modem/send_outcome.h"

class ppc_messaging_t;

// Sends one SMS through the provider, either at once or on a worker thread that ends the owner's sending
// dialog with the outcome. The object joins its worker when destroyed, so it must outlive the send.
class sms_messaging_api_t {
public:
    explicit sms_messaging_api_t(sms_library_t library);
    ~sms_messaging_api_t();
    sms_messaging_api_t(const sms_messaging_api_t&) = delete;
    sms_messaging_api_t& operator=(const sms_messaging_api_t&) = delete;

    // Starts the worker and returns once it runs. Only one send per object.
    void send_async(std::u16string text, std::u16string number, std::u16string port, ppc_messaging_t* owner);
    // Opens the provider, submits the SMS (with the port header when a port is given), closes. Sent when the
    // provider accepted the SMS, unknown when it was handed over without a definite answer.
    send_outcome_t send_now(const std::u16string& text, const std::u16string& number, const std::u16string& port);
    bool finished() const { return finished_; }
    // Once the sending dialog has ended (user-interface thread): the worker's outcome when it has one; otherwise
    // the user cancelled while it works, and the send is withdrawn: not sent when nothing was handed over (it
    // never will be), unknown when something may have left.
    send_outcome_t settle();

    static sms_address_record_t make_address(std::u16string_view number);
    static sms_text_provider_data_t make_provider_data(bool with_port);

private:
    void work();
    // The worker's outcome, from here on the answer of settle().
    void record(send_outcome_t outcome);
    // Records the outcome and ends the owner's dialog with it.
    send_outcome_t finish(send_outcome_t outcome);

    std::u16string text_;
    std::u16string number_;
    std::u16string port_;
    timed_lock_t work_lock_;
    ppc_messaging_t* owner_ = nullptr;
    sms_library_t library_;
    std::thread worker_;
    std::atomic<bool> worker_started_{false};
    std::atomic<bool> finished_{false};
    // Between the worker and settle(): the handle a submit runs on, its outcome, and the withdrawal.
    std::mutex state_lock_;
    sms_handle_t handle_ = 0;
    std::optional<send_outcome_t> outcome_;
    bool withdrawn_ = false;
};
