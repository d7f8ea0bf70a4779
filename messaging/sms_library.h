#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/modem/sms_provider.h"

// The SMS provider's three calls as the sender uses them, with the provider's own records and constants.
// Whoever builds the record binds the calls; a call left empty behaves like a missing one: every send fails.

struct sms_library_t {
    // provider, mode, out handle → 0 when open
    std::function<int32_t(std::u16string_view, uint32_t, sms_handle_t&)> open;
    // handle, destination, text (UTF-16 units, no terminator), provider data, data encoding, options → 0 when
    // the SMS was accepted for sending, sms_error_unknown when it was handed over without a definite answer
    std::function<int32_t(sms_handle_t, const sms_address_record_t&, std::u16string_view,
                          const sms_text_provider_data_t&, uint32_t, uint32_t)>
        send;
    std::function<void(sms_handle_t)> close;
    // handle → 0 when what is being sent on it was withdrawn before any of it was handed over. Called from the
    // user-interface thread while the worker may be inside `send`. Left empty: nothing can be withdrawn.
    std::function<int32_t(sms_handle_t)> withdraw;
};
