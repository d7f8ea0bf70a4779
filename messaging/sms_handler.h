#pragma once

#include <string>
#include <vector>

class sms_rule_t;

// Receives the batch of bank texts that one walk of the inbox found.
class sms_handler_t {
public:
    virtual ~sms_handler_t() = default;
    virtual void on_messages(std::vector<std::u16string> texts) = 0;
};

// The application's side: shows each bank text and answers payment-confirmation requests, asking the rule
// for the code. It is called on the message store's notification thread (or on the user-interface thread
// for the start-up walk), so a Qt implementation queues the work to the GUI thread.
class confirm_handler_t {
public:
    virtual ~confirm_handler_t() = default;
    virtual void confirm_messages(std::vector<std::u16string> texts, sms_rule_t& rule) = 0;
};
