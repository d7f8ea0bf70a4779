// ostrevan-modem pdu as a user runs it: the process, its output and its exit status.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

namespace {

struct result_t {
    int status;
    std::string out;  // standard output and standard error
};

result_t run(const std::string& args) {
    const std::string command =
        std::string(std::getenv("OSTREVAN_BINARY_DIR")) + "/tools/ostrevan-modem/ostrevan-modem " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

}  // namespace

TEST(OstrevanModemPdu, EncodesOnePduPerLineAndDecodesThemJoined) {
    EXPECT_EQ(run("pdu encode --to 89001234567 --port 0x2201 A").out, "0041000B819800214365F70011090605042201220141\n");
    EXPECT_EQ(run("pdu encode --to 123 --class none @").out, "000100038121F300000100\n");

    const std::string text(200, 'x');
    const auto encoded = run("pdu encode --to +79001234567 --port 8705 " + text);
    ASSERT_EQ(encoded.status, 0);
    std::istringstream lines(encoded.out);
    std::string pdus;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("0041")) << line;
        pdus = line + " " + pdus;  // in reverse order
    }
    const auto decoded = run("pdu decode --json " + pdus);
    EXPECT_EQ(decoded.status, 0);
    EXPECT_NE(decoded.out.find("\"to\": \"+79001234567\""), std::string::npos) << decoded.out;
    EXPECT_NE(decoded.out.find("\"destination_port\": 8705"), std::string::npos) << decoded.out;
    EXPECT_NE(
        decoded.out.find("\"joined\": [{\"from\": \"+79001234567\", \"complete\": true, \"text\": \"" + text + "\"}]"),
        std::string::npos)
        << decoded.out;

    // A part alone is shown as an incomplete set; a Cyrillic text comes through argv as UTF-8.
    const auto cyrillic = run("pdu encode --to +7900 'Ответ: " + std::string(70, '!') + "'");
    const auto first = cyrillic.out.substr(0, cyrillic.out.find('\n'));
    const auto plain = run("pdu decode " + first);
    EXPECT_NE(plain.out.find("  coding: ucs2\n  class: 1\n"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("joined 1:\n  from: +7900\n  complete: false\n  text: Ответ: "), std::string::npos)
        << plain.out;
}

TEST(OstrevanModemPdu, ReportsFaultsWithStatus) {
    struct Case {
        std::string args;
        int status;
        std::string out;
    };
    const Case cases[] = {
        {"pdu encode --to 12a3 x", 1,
         "ostrevan-modem: Номер должен состоять из цифр, перед которыми может стоять \"+\"\n"},
        {"pdu encode --to 123 --class 4 x", 2, "ostrevan-modem: неверный класс 4\n"},
        {"pdu encode --to 123 --port 65536 x", 2, "ostrevan-modem: неверный порт 65536\n"},
        {"pdu decode 0004", 1, "pdu 1:\n  error: PDU обрывается (байт 2)\n"},
        {"pdu decode --json 00 0003", 1,
         "{\"pdus\": [{\"error\": \"PDU обрывается (байт 1)\"}, {\"error\": \"PDU обрывается (байт 2)\"}], "
         "\"joined\": []}\n"},
        {"nonsense", 2, ""},
    };
    for (const auto& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        if (!c.out.empty()) {
            EXPECT_EQ(r.out, c.out) << c.args;
        }
    }
}
