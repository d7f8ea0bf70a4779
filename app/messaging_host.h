#pragma once

#include <functional>
#include <memory>
#include <string>

class ppc_messaging_t;

// Owns the messaging object with whatever it stands on (the modem and its store, or a test's fakes).
class messaging_host_t {
public:
    virtual ~messaging_host_t() = default;
    virtual ppc_messaging_t& messaging() = 0;
    // What the user must know about the SMS system (a modem that does not answer, a SIM waiting for its PIN),
    // in the user's words; called on any thread. Nothing to tell by default.
    virtual void on_notice(std::function<void(const std::u16string&)> handler) { (void)handler; }
    // Starts what runs beside the screens (the modem's thread), once the first window is up; again does nothing.
    virtual void start() {}
};

// Builds the messaging at start; throws ppc_mapi_ex_t when the SMS system cannot be opened.
using messaging_factory_t = std::function<std::unique_ptr<messaging_host_t>()>;
