// gammu, a common SMS client, against the simulated modem on a pseudo-terminal.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sim/sim_server.h"

namespace {

std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    ::pclose(pipe);
    return out;
}

}  // namespace

TEST(Gammu, IdentifiesSendsAndReadsThroughTheSimulator) {
    if (run("command -v gammu").empty()) GTEST_SKIP() << "gammu is not installed";
    const auto dir = std::filesystem::temp_directory_path() / ("ostrevan-gammu-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string device = (dir / "modem").string(), config = (dir / "gammurc").string();
    std::ofstream(config) << "[gammu]\ndevice = " << device << "\nconnection = at\n";

    system_modem_clock_t clock;
    sim_modem_t modem(clock);
    modem.set_bank_delay(modem_time_t(0));  // the bank's answer is stored before gammu asks again
    std::atomic<bool> stop{false}, ready{false};
    std::thread server(
        [&] { serve_sim_modem(modem, clock, "pty:" + device, stop, [&](const std::string&) { ready = true; }); });
    while (!ready) std::this_thread::yield();
    const std::string gammu = "timeout 60 gammu -c " + config + " ";

    const std::string identity = run(gammu + "identify");
    EXPECT_NE(identity.find("Manufacturer         : Ostrevan"), std::string::npos) << identity;
    EXPECT_NE(identity.find("IMEI                 : 356938035643809"), std::string::npos) << identity;

    const std::string sent = run(gammu + "sendsms TEXT +79001234567 -unicode -text 'BAL привет'");
    EXPECT_NE(sent.find("OK, message reference="), std::string::npos) << sent;

    const std::string all = run(gammu + "getallsms");
    EXPECT_NE(all.find("Remote number        : \"+79001234567\""), std::string::npos) << all;
    EXPECT_NE(all.find("Баланс карты: 12 345,67 руб. APP_PORT=2201"), std::string::npos) << all;
    EXPECT_EQ(all.find("phone memory"), std::string::npos) << all;  // one storage, each message once

    stop = true;
    server.join();
    ASSERT_EQ(modem.sent().size(), 1u);
    EXPECT_EQ(modem.sent()[0].destination, u"+79001234567");
    EXPECT_EQ(modem.sent()[0].text, u"BAL привет");
    std::filesystem::remove_all(dir);
}
