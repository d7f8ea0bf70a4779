// What reaches the simulator from outside: the bytes a client writes to the simulated modem, and a bank
// rules file. The first byte chooses which; the rest is the input.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "sim/sim_modem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        try {
            sim_bank_t bank(input);
            bank.answer("PAY 1");
            bank.answer(input);
        } catch (const std::runtime_error&) {
        }
        return 0;
    }
    manual_clock_t clock;
    sim_modem_t modem(clock);
    modem.set_bank_delay(modem_time_t(0));
    // In slices, with time passing between them, so that delayed answers and bank replies interleave.
    for (size_t at = 0; at < input.size(); at += 64) {
        modem.receive(std::string_view(input).substr(at, 64));
        clock.sleep_until(clock.now() + modem_time_t(500));
        modem.advance(clock.now());
        modem.take_output();
    }
    return 0;
}
