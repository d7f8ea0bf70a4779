#pragma once

#include <functional>

#include "messaging/message_store.h"
#include "platform/modem/sms_ledger.h"

class sms_message_store_t;

// Which incoming messages the program takes from the modem: the bank's (by its marker; the script's port
// prefix is checked later, when the inbox is walked). Every other message stays in the modem, untouched.
sms_intake_t bank_intake(const std::u16string& text);

// The inbox watch's view of the modem's message store: one store named "SMS", its inbox with the messages
// of the ledger and their read flags, and the store's new-message notification as the created-object event.
class modem_message_store_t : public mapi_library_t {
public:
    // `modem_ready` tells whether the modem answered at start-up; without it the store cannot initialise.
    // Hands the modem layer the bank's intake filter.
    modem_message_store_t(sms_message_store_t& store, std::function<bool()> modem_ready);

    bool initialize() override { return !modem_ready_ || modem_ready_(); }
    std::unique_ptr<mapi_session_t> logon() override;
    void uninitialize() override {}

private:
    sms_message_store_t& store_;
    std::function<bool()> modem_ready_;
};
