#pragma once

#include "messaging/sms_library.h"

class sms_provider_t;

// The sending calls bound to the modem's SMS provider, which must outlive every send.
sms_library_t modem_sms_library(sms_provider_t& provider);
