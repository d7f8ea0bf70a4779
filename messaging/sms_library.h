#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

// The SMS provider's calls and the two records handed to it (little-endian, exact sizes). Whoever builds
// the record binds the provider's three calls; a call left empty behaves like a missing one: every send fails.

inline constexpr std::u16string_view sms_provider_name = u"Microsoft Text SMS Protocol";
inline constexpr uint32_t sms_open_mode_send = 2;
inline constexpr uint32_t sms_encoding_gsm = 1;
inline constexpr uint32_t sms_address_international = 1;
inline constexpr uint32_t sms_address_national = 2;

using sms_provider_handle_t = std::uintptr_t;  // 0 is no handle

struct sms_address_t {
    uint32_t address_type;
    char16_t address[256];  // zero-padded, not necessarily terminated
};
static_assert(sizeof(sms_address_t) == 516);

struct text_provider_data_t {
    uint32_t message_options;
    uint32_t message_class;
    uint32_t replace_option;
    uint32_t header_length;
    uint8_t header_data[140];
    uint32_t contains_ems_headers;
    uint32_t protocol_id;
};
static_assert(sizeof(text_provider_data_t) == 164);

struct sms_library_t {
    // provider, mode, out handle → 0 when open
    std::function<int32_t(std::u16string_view, uint32_t, sms_provider_handle_t&)> open;
    // handle, destination, text (UTF-16 units, no terminator), provider data, data encoding, options → 0 when
    // the SMS was accepted for sending
    std::function<int32_t(sms_provider_handle_t, const sms_address_t&, std::u16string_view, const text_provider_data_t&,
                          uint32_t, uint32_t)>
        send;
    std::function<void(sms_provider_handle_t)> close;
};
