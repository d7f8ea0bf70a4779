#include "platform/modem/modem_clock.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

namespace {

// True once one of `fds` is readable or hung up; waits at most `timeout_ms` (-1: without end).
bool any_ready(std::span<const int> fds, int timeout_ms) {
    std::vector<pollfd> polled;
    for (const int fd : fds)
        if (fd >= 0) polled.push_back({fd, POLLIN, 0});
    if (polled.empty()) {
        if (timeout_ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timeout_ms));
        return false;
    }
    for (;;) {
        const int r = ::poll(polled.data(), polled.size(), timeout_ms);
        if (r < 0 && errno == EINTR) continue;
        // A failed poll() cannot wait; saying "ready" lets the caller look and come back.
        return r != 0;
    }
}

}  // namespace

bool modem_clock_t::wait_until(modem_time_t when, std::span<const int> fds) {
    for (;;) {
        const modem_time_t now = this->now();
        if (now >= when) return any_ready(fds, 0);
        const long long left = (when - now).count();
        const int timeout = when == modem_never ? -1 : int(std::min<long long>(left, 60'000));
        if (any_ready(fds, timeout)) return true;
        if (when == modem_never) return false;  // no descriptor to wait for
    }
}

bool manual_clock_t::wait_until(modem_time_t when, std::span<const int> fds) {
    if (any_ready(fds, 0)) return true;
    if (when == modem_never) return any_ready(fds, -1);
    sleep_until(when);
    return false;
}

modem_time_t system_modem_clock_t::now() {
    return std::chrono::duration_cast<modem_time_t>(std::chrono::steady_clock::now().time_since_epoch());
}

void system_modem_clock_t::sleep_until(modem_time_t when) {
    const auto delta = when - now();
    if (delta.count() > 0) std::this_thread::sleep_for(delta);
}
