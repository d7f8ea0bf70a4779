#pragma once

#include <chrono>
#include <mutex>
#include <span>

// Time as the modem layer sees it: milliseconds on a monotonic scale. Every wait of the AT engine and
// the simulator goes through a clock object, so that tests run on a manual clock and never sleep.
using modem_time_t = std::chrono::milliseconds;
// A deadline that never comes: a wait that only a descriptor ends.
inline constexpr modem_time_t modem_never = modem_time_t::max();

class modem_clock_t {
public:
    virtual ~modem_clock_t() = default;
    virtual modem_time_t now() = 0;
    // Waits until the given time (real clock) or jumps to it (manual clock).
    virtual void sleep_until(modem_time_t when) = 0;
    // Like sleep_until, but ends early, true, once one of `fds` is readable (or hung up). With `when` never, only
    // a descriptor ends it.
    virtual bool wait_until(modem_time_t when, std::span<const int> fds);
};

// The steady clock of the machine.
class system_modem_clock_t : public modem_clock_t {
public:
    modem_time_t now() override;
    void sleep_until(modem_time_t when) override;
};

// A clock that moves only when somebody waits on it: a wait is a jump. For tests and for the
// in-memory simulator.
// A wait with descriptors takes what is ready at once; else it jumps to its time, and with no time to jump to it
// waits for a descriptor for real.
class manual_clock_t : public modem_clock_t {
public:
    modem_time_t now() override {
        std::lock_guard lock(mutex_);
        return now_;
    }
    void sleep_until(modem_time_t when) override {
        std::lock_guard lock(mutex_);
        if (when > now_) now_ = when;
    }
    bool wait_until(modem_time_t when, std::span<const int> fds) override;

private:
    std::mutex mutex_;
    modem_time_t now_{1'000'000};
};
