#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "sim/sim_modem.h"

// Serves a simulated modem on a real byte stream, for other programs (this system's tools, gammu):
//   "tcp:HOST:PORT"  a TCP listener; one client at a time, the next one may come when it leaves;
//   "pty:PATH"       a pseudo-terminal whose slave side is reachable at PATH (a symbolic link).
// Runs until `stop` becomes true. Throws std::runtime_error when the endpoint cannot be opened.
// `ready` is called once the endpoint accepts clients.
void serve_sim_modem(sim_modem_t& modem, modem_clock_t& clock, const std::string& endpoint,
                     const std::atomic<bool>& stop, const std::function<void(const std::string&)>& ready = {});
