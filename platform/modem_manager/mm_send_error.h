#pragma once

#include <string_view>

#include "platform/modem/send_outcome.h"

// What an error from ModemManager's Sms.Send (or from the bus on the way to it) says about the message: not_sent
// only when the error proves that nothing was handed to the network (the call never reached ModemManager, or it
// or the modem refused before the hand-over); every other error, a time-out and a lost bus, is unknown.
send_outcome_t mm_send_error_outcome(std::string_view error_name);
