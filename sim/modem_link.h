#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/modem/transport.h"
#include "sim/sim_modem.h"

// Where the modem is, as the user names it:
//   "sim"                     the simulated modem and bank, inside this process
//   "serial:DEVICE[:BAUD]"    a serial device, 115200 baud unless given
//   "tcp:HOST:PORT"           a modem (or a simulator) behind a TCP port
//   "mm[:MODEM]"              the modem ModemManager holds (MODEM: its equipment identifier or object path)
//   "auto"                    ModemManager's modem when there is one (decided by the program at start)
struct modem_uri_t {
    enum class kind_t { sim, serial, tcp, modem_manager, automatic } kind = kind_t::sim;
    std::string device;  // serial device, TCP host, or ModemManager's modem (empty: the first)
    std::string port;    // TCP port
    unsigned baud = 115200;
};

// Throws std::invalid_argument with a message naming the fault.
modem_uri_t parse_modem_uri(const std::string& uri);

// What the modem service needs to reach the named modem: a function that opens the link (again after
// a drop); only for the modems spoken to with AT commands (std::invalid_argument for the others). For "sim" it owns the
// simulated modem, which lives as long as the returned function.
std::function<std::unique_ptr<transport_t>()> modem_connector(const modem_uri_t& uri, modem_clock_t& clock);

class sim_remote_t;

// The simulated modem with `bank`, inside this process; the returned function owns it. With `remote`, what is
// posted there reaches the modem on the link's thread.
std::function<std::unique_ptr<transport_t>()> sim_connector(sim_bank_t bank, modem_clock_t& clock,
                                                            std::shared_ptr<sim_remote_t> remote = nullptr);
