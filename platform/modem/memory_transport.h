#pragma once

#include <optional>
#include <string>

#include "platform/modem/transport.h"

// The far end of an in-memory link: a simulated or scripted modem. It is driven from the reading side,
// so that a test needs neither threads nor sleeps: bytes written to the link go straight to the peer,
// and a read lets the peer's clock-driven events run until it has something to say or the deadline passes.
class modem_peer_t {
public:
    virtual ~modem_peer_t() = default;
    virtual void receive(std::string_view bytes) = 0;
    // Bytes the peer has produced since the last call.
    virtual std::string take_output() = 0;
    // The time of the peer's next scheduled event (a delayed reply, an arriving SMS), if any.
    virtual std::optional<modem_time_t> next_event() = 0;
    // Runs every event due at `now`.
    virtual void advance(modem_time_t now) = 0;
    // False once the peer has hung up; reads then fail like a dropped cable.
    virtual bool connected() { return true; }
    // A descriptor that becomes readable when something from outside the link's thread waits for the peer's next
    // turn (see advance); -1 when nothing ever does.
    virtual int wake_fd() { return -1; }
};

// In-memory pipe from the engine to a peer. Not thread-safe: one engine thread uses it.
// An idle wait sleeps until the peer's next scheduled event, the peer's own descriptor or the caller's.
class memory_transport_t : public transport_t {
public:
    memory_transport_t(modem_peer_t& peer, modem_clock_t& clock) : peer_(peer), clock_(clock) {}

    void write(std::string_view bytes) override;
    std::string read(modem_time_t deadline, size_t limit) override;
    void wait(modem_time_t deadline, int wake_fd) override;

private:
    modem_peer_t& peer_;
    modem_clock_t& clock_;
    std::string pending_;
};
