#pragma once

#include <chrono>
#include <mutex>

// Time as the modem layer sees it: milliseconds on a monotonic scale. Every wait of the AT engine and
// the simulator goes through a clock object, so that tests run on a manual clock and never sleep.
using modem_time_t = std::chrono::milliseconds;

class modem_clock_t {
public:
    virtual ~modem_clock_t() = default;
    virtual modem_time_t now() = 0;
    // Waits until the given time (real clock) or jumps to it (manual clock).
    virtual void sleep_until(modem_time_t when) = 0;
};

// The steady clock of the machine.
class system_modem_clock_t : public modem_clock_t {
public:
    modem_time_t now() override;
    void sleep_until(modem_time_t when) override;
};

// A clock that moves only when somebody waits on it: a wait is a jump. For tests and for the
// in-memory simulator.
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

private:
    std::mutex mutex_;
    modem_time_t now_{1'000'000};
};
