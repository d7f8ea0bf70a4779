#include "messaging/modem_sms_library.h"

sms_library_t modem_sms_library(sms_provider_t& provider) {
    sms_library_t library;
    library.open = [&provider](std::u16string_view name, uint32_t mode, sms_handle_t& handle) {
        return provider.open(name, mode, &handle);
    };
    library.send = [&provider](sms_handle_t handle, const sms_address_record_t& to, std::u16string_view text,
                               const sms_text_provider_data_t& data, uint32_t encoding, uint32_t options) {
        uint32_t message_id = 0;  // not used
        return provider.send_message(handle, nullptr, &to, nullptr, text.data(), text.size() * sizeof(char16_t), &data,
                                     sizeof data, encoding, options, &message_id);
    };
    library.close = [&provider](sms_handle_t handle) { provider.close(handle); };
    library.withdraw = [&provider](sms_handle_t handle) { return provider.withdraw(handle); };
    return library;
}
