// ostrevan-modem: the SMS layer without the program. A table of subcommands; each one parses its own options.
#include <cstring>
#include <iostream>

#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "tools/ostrevan-modem/command.h"

namespace {

const command_t commands[] = {
    {"pdu",
     "pdu encode --to NUMBER [--port N] [--class N|none] TEXT\n"
     "pdu decode [--json] HEX...",
     pdu_command},
    {"sim", "sim [--listen tcp:HOST:PORT | --pty PATH] [--bank-number N] [--bank-rules FILE]", sim_command},
    {"send", "send --modem URI --to NUMBER [--port N] TEXT", send_command},
    {"listen", "listen --modem URI [--ledger FILE] [--take]", listen_command},
    {"queue", "queue [--registry DIR] TEXT", queue_command},
};

int usage(std::ostream& out, int status) {
    out << to_utf8(texts::modem_usage_head);
    for (const auto& c : commands) {
        const std::string lines = c.usage;
        size_t start = 0;
        while (start < lines.size()) {
            const size_t end = lines.find('\n', start);
            out << "  ostrevan-modem " << lines.substr(start, end - start) << '\n';
            start = end == std::string::npos ? lines.size() : end + 1;
        }
    }
    out << to_utf8(texts::modem_usage_tail);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage(std::cerr, 2);
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) return usage(std::cout, 0);
    if (std::strcmp(argv[1], "--version") == 0) {
        std::cout << to_utf8(format_text(texts::version_line, {u"ostrevan-modem", from_utf8(OSTREVAN_VERSION)}));
        return 0;
    }
    for (const auto& c : commands) {
        if (std::strcmp(argv[1], c.name) == 0) return c.run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::cerr << to_utf8(format_text(texts::modem_unknown_command, {from_utf8(argv[1])})) << '\n';
    return usage(std::cerr, 2);
}
