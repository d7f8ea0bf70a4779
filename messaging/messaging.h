#pragma once

#include <string>

#include "platform/modem/send_outcome.h"

// What the script's tags and the shell use to send one SMS to the bank.
class messaging_t {
public:
    virtual ~messaging_t() = default;

    virtual void set_text(const std::u16string& text) = 0;      // the text of the next SMS
    virtual void set_number(const std::u16string& number) = 0;  // the bank's number
    // Sends the text with its trailer; true when the modem took it. An empty text counts as sent.
    virtual bool send() = 0;
    // The same send, telling a request that may have left (unknown) from one that did not (not sent). The send
    // action and the payment confirmation ask this, so that an unknown outcome is never offered as a retry.
    virtual send_outcome_t send_for_outcome() { return send() ? send_outcome_t::sent : send_outcome_t::not_sent; }
    virtual void set_port(const std::u16string& port) = 0;  // the port prefix "{port}", also for the bank rule
    virtual void set_port_present(bool present) = 0;        // switches the port prefix on or off
    virtual void set_suffix(const std::u16string& suffix) = 0;
    virtual void set_version(const std::u16string& version) = 0;
};
