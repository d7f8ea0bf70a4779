#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/modem/send_control.h"
#include "platform/modem/send_outcome.h"
#include "platform/modem/sms_ledger.h"
#include "platform/pdu/sms_encoder.h"

struct send_result_t {
    send_outcome_t outcome = send_outcome_t::not_sent;
    std::string error;            // why not, or why unknown, for diagnostics
    std::vector<int> references;  // message references the network gave, one per part acknowledged
    size_t pdus_written = 0;      // PDUs handed to the modem, acknowledged or not

    bool ok() const { return outcome == send_outcome_t::sent; }
};

// What the SMS provider and the message store stand on: the modem spoken to with AT commands, or the modem as
// ModemManager holds it. Both send from any thread, keep what arrives in a ledger, and tell the user's notices.
class sms_backend_t {
public:
    virtual ~sms_backend_t() = default;

    virtual sms_ledger_t& ledger() = 0;
    // Called after an intake that brought new messages, on the backend's own thread.
    virtual void on_new_messages(std::function<void()> handler) = 0;
    // What the user must know about the modem, in the user's words, each once a run; notices found before a
    // handler is set are handed to it when it is set.
    virtual void on_notice(std::function<void(const std::u16string&)> handler) = 0;
    // Which incoming texts are recorded and which of them leave the modem; until set, nothing is taken.
    virtual void set_intake(sms_intake_filter_t intake) = 0;
    // Sends and waits for the outcome; `control` lets a withdrawal win the race against the hand-over.
    virtual send_result_t send(const sms_outgoing_t& message, std::shared_ptr<send_control_t> control) = 0;
    // True when nothing of the request was handed over, and nothing ever will be.
    virtual bool withdraw(send_control_t& control) = 0;
};
