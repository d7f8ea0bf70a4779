#pragma once

#include <functional>

#include "messaging/message_store.h"

class sms_message_store_t;

// The inbox watch's view of the modem's message store: one store named "SMS", its inbox with the messages
// of the ledger and their read flags, and the store's new-message notification as the created-object event.
class modem_message_store_t : public mapi_library_t {
public:
    // `modem_ready` tells whether the modem answered at start-up; without it the store cannot initialise.
    modem_message_store_t(sms_message_store_t& store, std::function<bool()> modem_ready);

    bool initialize() override { return !modem_ready_ || modem_ready_(); }
    std::unique_ptr<mapi_session_t> logon() override;
    void uninitialize() override {}

private:
    sms_message_store_t& store_;
    std::function<bool()> modem_ready_;
};
