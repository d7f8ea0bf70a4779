#include "platform/modem/sms_provider.h"

#include <cstring>

#include "platform/modem/sms_backend.h"

int32_t sms_provider_t::open(std::u16string_view provider, uint32_t mode, sms_handle_t* handle) {
    if (!handle || provider != sms_text_provider || mode != sms_mode_send) return sms_error_invalid;
    std::lock_guard lock(mutex_);
    *handle = next_++;
    open_.emplace(*handle, std::make_shared<send_control_t>());
    return sms_ok;
}

int32_t sms_provider_t::withdraw(sms_handle_t handle) {
    std::shared_ptr<send_control_t> control;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end()) return sms_error_invalid;
        control = it->second;
    }
    return modem_.withdraw(*control) ? sms_ok : sms_error_unknown;
}

int32_t sms_provider_t::close(sms_handle_t handle) {
    std::lock_guard lock(mutex_);
    return open_.erase(handle) ? sms_ok : sms_error_invalid;
}

int32_t sms_provider_t::send_message(sms_handle_t handle, const sms_address_record_t*,
                                     const sms_address_record_t* destination, const void*, const char16_t* text,
                                     size_t text_bytes, const void* provider_data, size_t provider_data_size, uint32_t,
                                     uint32_t, uint32_t* message_id) {
    std::shared_ptr<send_control_t> control;
    {
        std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end()) return sms_error_invalid;
        control = it->second;
    }
    if (!destination || (!text && text_bytes) || text_bytes % 2 || !provider_data ||
        provider_data_size != sizeof(sms_text_provider_data_t))
        return sms_error_invalid;
    sms_text_provider_data_t data;
    std::memcpy(&data, provider_data, sizeof data);
    if (data.header_length > sizeof data.header_data || data.message_class > 3) return sms_error_invalid;

    sms_outgoing_t message;
    size_t length = 0;
    while (length < std::size(destination->address) && destination->address[length]) ++length;
    message.address.assign(destination->address, length);
    // The record's type decides: an international number is written with its "+".
    if (destination->type == sms_address_type_international && !message.address.starts_with(u'+'))
        message.address.insert(0, 1, u'+');
    message.text.assign(text ? text : u"", text_bytes / 2);
    message.message_class = uint8_t(data.message_class);
    // The only header element the messaging code sends: 16-bit application ports.
    const uint8_t* h = data.header_data;
    for (size_t i = 0; i + 1 < data.header_length; i += 2 + h[i + 1]) {
        if (h[i] == 0x05 && h[i + 1] == 4 && i + 6 <= data.header_length)
            message.port = uint16_t(h[i + 2] << 8 | h[i + 3]);
    }
    const send_result_t result = modem_.send(message, control);
    if (message_id) *message_id = result.references.empty() ? 0 : uint32_t(result.references.front());
    switch (result.outcome) {
        case send_outcome_t::sent:
            return sms_ok;
        case send_outcome_t::not_sent:
            return sms_error_not_sent;
        case send_outcome_t::unknown:
            break;
    }
    return sms_error_unknown;
}
