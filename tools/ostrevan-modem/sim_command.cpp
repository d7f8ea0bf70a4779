// ostrevan-modem sim: the simulated modem and bank on a TCP port or a pseudo-terminal, for this system's
// tools and for other SMS programs.
#include <csignal>
#include <iostream>

#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "sim/sim_server.h"
#include "tools/ostrevan-modem/command.h"

namespace {

std::string sim_usage() {
    return to_utf8(texts::modem_usage_word) +
           "ostrevan-modem sim [--listen tcp:HOST:PORT | --pty PATH] [--bank-number N] [--bank-rules FILE]\n" +
           to_utf8(texts::modem_sim_options);
}

std::atomic<bool> stop_requested{false};

void on_sim_signal(int) {
    stop_requested = true;
}

}  // namespace

int sim_command(const std::vector<std::string>& args) {
    std::string endpoint = "tcp:127.0.0.1:7201", bank_number = sim_modem_t::default_bank_number, rules;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--listen" && has_value)
            endpoint = args[++i];
        else if (a == "--pty" && has_value)
            endpoint = "pty:" + args[++i];
        else if (a == "--bank-number" && has_value)
            bank_number = args[++i];
        else if (a == "--bank-rules" && has_value)
            rules = args[++i];
        else {
            std::cerr << sim_usage();
            return 2;
        }
    }
    try {
        system_modem_clock_t clock;
        sim_modem_t modem(clock, rules.empty() ? sim_bank_t() : sim_bank_t::from_file(rules), bank_number);
        std::signal(SIGINT, on_sim_signal);
        std::signal(SIGTERM, on_sim_signal);
        std::signal(SIGPIPE, SIG_IGN);
        serve_sim_modem(modem, clock, endpoint, stop_requested, [&](const std::string& where) {
            std::cout << to_utf8(format_text(texts::modem_sim_ready, {from_utf8(where), from_utf8(bank_number)}))
                      << std::endl;
        });
    } catch (const std::exception& e) {
        std::cerr << "ostrevan-modem sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
