#include "platform/modem/memory_transport.h"

#include <algorithm>
#include <utility>

void memory_transport_t::write(std::string_view bytes) {
    if (!peer_.connected()) throw link_error_t("modem link closed");
    peer_.receive(bytes);
}

std::string memory_transport_t::read(modem_time_t deadline, size_t limit) {
    for (;;) {
        if (!peer_.connected()) throw link_error_t("modem link closed");
        peer_.advance(clock_.now());
        pending_ += peer_.take_output();
        if (!pending_.empty()) {
            std::string out = pending_.substr(0, limit);
            pending_.erase(0, out.size());
            return out;
        }
        const auto now = clock_.now();
        if (now >= deadline) return {};
        auto next = peer_.next_event();
        const modem_time_t wake = next && *next < deadline ? std::max(*next, now + modem_time_t(1)) : deadline;
        clock_.sleep_until(wake);
    }
}

void memory_transport_t::wait(modem_time_t deadline, int wake_fd) {
    bool looked_again = false;
    for (;;) {
        if (!peer_.connected()) return;  // the read that follows tells
        const auto now = clock_.now();
        peer_.advance(now);
        pending_ += peer_.take_output();
        if (!pending_.empty() || now >= deadline) return;
        const auto next = peer_.next_event();
        // Something posted meanwhile may have made an event due now: it is run before any wait.
        if (next && *next <= now && !std::exchange(looked_again, true)) continue;
        const modem_time_t until = next && *next < deadline ? std::max(*next, now + modem_time_t(1)) : deadline;
        const int fds[] = {wake_fd, peer_.wake_fd()};
        if (clock_.wait_until(until, fds)) return;
        looked_again = false;
    }
}
