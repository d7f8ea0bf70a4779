#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/modem/modem_clock.h"

// The link is gone (cable pulled, peer closed the socket, device vanished). The engine reports it as
// a failed command; the owner of the engine opens a new transport and starts the modem again.
class link_error_t : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A byte stream to a modem. Reads wait at most until a deadline on the engine's clock.
class transport_t {
public:
    virtual ~transport_t() = default;
    // Writes every byte or throws link_error_t.
    virtual void write(std::string_view bytes) = 0;
    // Returns the bytes that arrived before the deadline, at most `limit`; empty when none came.
    // Throws link_error_t when the link is gone.
    virtual std::string read(modem_time_t deadline, size_t limit) = 0;
    // Waits until a read would return at once (bytes came, or the link is gone), `wake_fd` (when not -1) is
    // readable, or the deadline (which may be modem_never) passes. The modem's thread sleeps here when idle.
    virtual void wait(modem_time_t deadline, int wake_fd) = 0;
};
