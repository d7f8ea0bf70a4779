#pragma once

#include <string>
#include <vector>

// A subcommand of ostrevan-modem: its arguments after its name; the result is the exit status.
using command_fn = int (*)(const std::vector<std::string>& args);

struct command_t {
    const char* name;
    const char* usage;  // one or more lines, each starting with the subcommand's name
    command_fn run;
};

int pdu_command(const std::vector<std::string>& args);
int sim_command(const std::vector<std::string>& args);
int send_command(const std::vector<std::string>& args);
int listen_command(const std::vector<std::string>& args);
int queue_command(const std::vector<std::string>& args);
