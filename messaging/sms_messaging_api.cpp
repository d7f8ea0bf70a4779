#include "messaging/sms_messaging_api.h"

#include <algorithm>
#include <chrono>

#include "messaging/ppc_messaging.h"

using namespace std::chrono_literals;

sms_messaging_api_t::sms_messaging_api_t(sms_library_t library) : library_(std::move(library)) {}

sms_messaging_api_t::~sms_messaging_api_t() {
    if (worker_.joinable()) worker_.join();
}

void sms_messaging_api_t::send_async(std::u16string text, std::u16string number, std::u16string port,
                                     ppc_messaging_t* owner) {
    text_ = std::move(text);
    number_ = std::move(number);
    port_ = std::move(port);
    owner_ = owner;
    work_lock_.lock();
    worker_ = std::thread(&sms_messaging_api_t::work, this);
    // Hand the lock over: return only once the worker holds it. A worker that has already been through
    // (it finished within the wait) also counts, or this loop would take the lock back for ever.
    for (;;) {
        work_lock_.unlock();
        if (!work_lock_.try_lock_for(10ms)) break;
        if (worker_started_) {
            work_lock_.unlock();
            break;
        }
    }
}

void sms_messaging_api_t::work() {
    {
        std::lock_guard hold(work_lock_);
        worker_started_ = true;
        send_now(text_, number_, port_);
    }
    finished_ = true;
}

send_outcome_t sms_messaging_api_t::send_now(const std::u16string& text, const std::u16string& number,
                                             const std::u16string& port) {
    sms_handle_t handle = 0;
    if (!library_.open || !library_.send || !library_.close ||
        library_.open(sms_text_provider, sms_mode_send, handle) != 0 || handle == 0)
        return finish(send_outcome_t::not_sent);
    // A cancel may come at any moment from here on: settle() and this worker agree under state_lock_ on who
    // decides, and the provider's withdrawal decides the race against the modem's write.
    bool withdrawn = false;
    {
        std::lock_guard hold(state_lock_);
        // Cancelled before the submit: it never starts.
        withdrawn = withdrawn_;
        if (withdrawn)
            outcome_ = send_outcome_t::not_sent;
        else
            handle_ = handle;
    }
    if (withdrawn) {
        library_.close(handle);
        return send_outcome_t::not_sent;
    }
    const sms_address_record_t address = make_address(number);
    const sms_text_provider_data_t data = make_provider_data(!port.empty());
    const int32_t result = library_.send(handle, address, text, data, sms_data_encoding_default, 0);
    const send_outcome_t outcome = result == sms_ok              ? send_outcome_t::sent
                                   : result == sms_error_unknown ? send_outcome_t::unknown
                                                                 : send_outcome_t::not_sent;
    record(outcome);
    library_.close(handle);
    if (owner_) owner_->end_dialog(this, outcome == send_outcome_t::sent);
    return outcome;
}

void sms_messaging_api_t::record(send_outcome_t outcome) {
    std::lock_guard hold(state_lock_);
    handle_ = 0;
    outcome_ = outcome;
}

send_outcome_t sms_messaging_api_t::finish(send_outcome_t outcome) {
    record(outcome);
    if (owner_) owner_->end_dialog(this, outcome == send_outcome_t::sent);
    return outcome;
}

send_outcome_t sms_messaging_api_t::settle() {
    sms_handle_t handle = 0;
    {
        std::lock_guard hold(state_lock_);
        if (outcome_) return *outcome_;
        withdrawn_ = true;
        // No submit yet: the worker sees the withdrawal before it starts one.
        if (handle_ == 0) return send_outcome_t::not_sent;
        handle = handle_;
    }
    if (library_.withdraw && library_.withdraw(handle) == sms_ok) return send_outcome_t::not_sent;
    // Something may have left, unless the worker has come to a definite end meanwhile.
    std::lock_guard hold(state_lock_);
    return outcome_.value_or(send_outcome_t::unknown);
}

sms_address_record_t sms_messaging_api_t::make_address(std::u16string_view number) {
    sms_address_record_t address{};
    address.type = number.starts_with(u'+') ? sms_address_type_international : sms_address_type_national;
    std::copy_n(number.begin(), std::min(number.size(), std::size(address.address)), address.address);
    return address;
}

sms_text_provider_data_t sms_messaging_api_t::make_provider_data(bool with_port) {
    sms_text_provider_data_t data{};
    data.message_class = 1;
    if (with_port) {
        // Application port addressing, 16-bit ports: destination and originator port 0x2201.
        constexpr uint8_t port_header[] = {0x05, 0x04, 0x22, 0x01, 0x22, 0x01};
        data.header_length = sizeof port_header;
        std::copy_n(port_header, sizeof port_header, data.header_data);
    }
    return data;
}
