#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class sms_rule_t;

// Told that the user has seen the text at `index` of a batch (its box closed, or its question answered): only
// then does the message count as handled. Any thread, any number of times; empty: nobody needs telling.
using seen_t = std::function<void(size_t index)>;

// Receives the batch of bank texts that one walk of the inbox found.
class sms_handler_t {
public:
    virtual ~sms_handler_t() = default;
    virtual void on_messages(std::vector<std::u16string> texts, seen_t seen) = 0;
};

// The application's side: shows each bank text and answers payment-confirmation requests, asking the rule
// for the code. It is called on the message store's notification thread (or on the user-interface thread
// for the start-up walk), so a Qt implementation queues the work to the GUI thread. It calls `seen` for each
// text once the user has seen it; a text never seen (the program ended first) is handed over again at the
// next start.
class confirm_handler_t {
public:
    virtual ~confirm_handler_t() = default;
    virtual void confirm_messages(std::vector<std::u16string> texts, sms_rule_t& rule, seen_t seen = {}) = 0;
};
