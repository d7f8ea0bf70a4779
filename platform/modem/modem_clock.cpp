#include "platform/modem/modem_clock.h"

#include <thread>

modem_time_t system_modem_clock_t::now() {
    return std::chrono::duration_cast<modem_time_t>(std::chrono::steady_clock::now().time_since_epoch());
}

void system_modem_clock_t::sleep_until(modem_time_t when) {
    const auto delta = when - now();
    if (delta.count() > 0) std::this_thread::sleep_for(delta);
}
