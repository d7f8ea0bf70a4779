#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "messaging/sms_library.h"
#include "messaging/timed_lock.h"

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
    // Opens the provider, submits the SMS (with the port header when a port is given), closes. True when the
    // provider accepted the SMS.
    bool send_now(const std::u16string& text, const std::u16string& number, const std::u16string& port);
    bool finished() const { return finished_; }

    static sms_address_record_t make_address(std::u16string_view number);
    static sms_text_provider_data_t make_provider_data(bool with_port);

private:
    void work();

    std::u16string text_;
    std::u16string number_;
    std::u16string port_;
    timed_lock_t work_lock_;
    ppc_messaging_t* owner_ = nullptr;
    sms_library_t library_;
    std::thread worker_;
    std::atomic<bool> worker_started_{false};
    std::atomic<bool> finished_{false};
};
