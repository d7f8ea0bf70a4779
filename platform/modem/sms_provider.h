#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/modem/send_control.h"

class sms_backend_t;

// The SMS library of the device, on the modem: open a text provider for sending, submit one SMS from the
// records that the messaging code fills, close. Results are 0 for success, as the messaging code expects.

inline constexpr char16_t sms_text_provider[] = u"Microsoft Text SMS Protocol";
inline constexpr uint32_t sms_mode_send = 2;
inline constexpr uint32_t sms_address_type_international = 1;
inline constexpr uint32_t sms_address_type_national = 2;
inline constexpr uint32_t sms_data_encoding_default = 1;

inline constexpr int32_t sms_ok = 0;
inline constexpr int32_t sms_error_invalid = 1;   // bad handle, provider, mode or record
inline constexpr int32_t sms_error_not_sent = 2;  // the modem or the network did not take the message
inline constexpr int32_t sms_error_unknown = 3;   // handed over without a definite answer: it may have left

// The destination address record: little-endian, 516 bytes.
struct sms_address_record_t {
    uint32_t type = sms_address_type_national;
    char16_t address[256] = {};
};
static_assert(sizeof(sms_address_record_t) == 516);

// The text provider data record: little-endian, 164 bytes.
struct sms_text_provider_data_t {
    uint32_t message_options = 0;
    uint32_t message_class = 1;
    uint32_t replace_option = 0;
    uint32_t header_length = 0;
    uint8_t header_data[140] = {};
    uint32_t contains_ems_headers = 0;
    uint32_t protocol_id = 0;
};
static_assert(sizeof(sms_text_provider_data_t) == 164);

using sms_handle_t = uint32_t;

class sms_provider_t {
public:
    explicit sms_provider_t(sms_backend_t& modem) : modem_(modem) {}

    // Opens the text provider for sending. Anything but the text provider in send mode is refused.
    int32_t open(std::u16string_view provider, uint32_t mode, sms_handle_t* handle);
    // Submits one SMS: `text` is the UTF-16 units without terminator, `text_bytes` their size in bytes.
    // The service centre and validity period are the modem's own (pass null). The data encoding is
    // decided by the text: GSM 7-bit when every character has a 7-bit form, UCS-2 otherwise, so that no
    // character is mangled. A text too long for one SMS goes out as a concatenated message.
    int32_t send_message(sms_handle_t handle, const sms_address_record_t* service_centre,
                         const sms_address_record_t* destination, const void* validity, const char16_t* text,
                         size_t text_bytes, const void* provider_data, size_t provider_data_size,
                         uint32_t data_encoding, uint32_t options, uint32_t* message_id);
    int32_t close(sms_handle_t handle);
    // Withdraws what is being sent (or is about to be) on `handle`, from any thread: sms_ok when nothing of it
    // was handed to the modem and nothing will be, sms_error_unknown when a part may have left already.
    int32_t withdraw(sms_handle_t handle);

private:
    sms_backend_t& modem_;
    std::mutex mutex_;
    std::map<sms_handle_t, std::shared_ptr<send_control_t>> open_;  // each handle's one request
    sms_handle_t next_ = 1;
};
