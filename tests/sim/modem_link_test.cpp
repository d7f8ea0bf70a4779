// The real transports against the simulator served on real endpoints: a serial line (a pseudo-terminal
// set up with termios) and a TCP port, each reached through a modem address.
#include "sim/modem_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/modem/modem_service.h"
#include "sim/sim_server.h"

TEST(ModemLink, ParsesAddresses) {
    struct case_t {
        const char* uri;
        modem_uri_t::kind_t kind;
        const char* device;
        const char* port;
        unsigned baud;
    };
    const case_t cases[] = {
        {"sim", modem_uri_t::kind_t::sim, "", "", 115200},
        {"serial:/dev/ttyUSB2", modem_uri_t::kind_t::serial, "/dev/ttyUSB2", "", 115200},
        {"serial:/dev/ttyUSB2:9600", modem_uri_t::kind_t::serial, "/dev/ttyUSB2", "", 9600},
        {"tcp:localhost:7201", modem_uri_t::kind_t::tcp, "localhost", "7201", 115200},
        {"tcp:::1:7201", modem_uri_t::kind_t::tcp, "::1", "7201", 115200},
        {"mm", modem_uri_t::kind_t::modem_manager, "", "", 115200},
        {"mm:490154203237518", modem_uri_t::kind_t::modem_manager, "490154203237518", "", 115200},
        {"mm:/org/freedesktop/ModemManager1/Modem/2", modem_uri_t::kind_t::modem_manager,
         "/org/freedesktop/ModemManager1/Modem/2", "", 115200},
        {"auto", modem_uri_t::kind_t::automatic, "", "", 115200},
    };
    for (const auto& c : cases) {
        const modem_uri_t u = parse_modem_uri(c.uri);
        EXPECT_EQ(u.kind, c.kind) << c.uri;
        EXPECT_EQ(u.device, c.device) << c.uri;
        EXPECT_EQ(u.port, c.port) << c.uri;
        EXPECT_EQ(u.baud, c.baud) << c.uri;
    }
    struct bad_t {
        const char* uri;
        const char* error;
    };
    for (const bad_t& b : {bad_t{"serial:", "no device in modem address serial:"},
                           bad_t{"serial:/dev/x:fast", "bad speed in modem address serial:/dev/x:fast"},
                           bad_t{"tcp:host", "expected tcp:HOST:PORT, got tcp:host"},
                           bad_t{"modem",
                                 "unknown modem address modem (expected sim, serial:DEVICE[:BAUD], "
                                 "tcp:HOST:PORT, mm[:MODEM] or auto)"}}) {
        try {
            parse_modem_uri(b.uri);
            ADD_FAILURE() << b.uri;
        } catch (const std::invalid_argument& e) {
            EXPECT_STREQ(e.what(), b.error);
        }
    }
    system_modem_clock_t clock;
    try {
        modem_connector(parse_modem_uri("serial:/dev/null:12345"), clock)();
        ADD_FAILURE() << "odd speed accepted";
    } catch (const link_error_t& e) {
        EXPECT_STREQ(e.what(), "unsupported serial speed 12345");
    }
}

TEST(ModemLink, SerialAndTcpReachTheSimulatedBank) {
    const auto dir = std::filesystem::temp_directory_path() / ("ostrevan-link-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string tcp = "tcp:127.0.0.1:" + std::to_string(20000 + (::getpid() + 7) % 20000);
    for (const auto& [endpoint, uri] :
         {std::pair{"pty:" + (dir / "tty").string(), "serial:" + (dir / "tty").string()}, std::pair{tcp, tcp}}) {
        system_modem_clock_t clock;
        sim_modem_t modem(clock);
        modem.set_bank_delay(modem_time_t(0));
        std::atomic<bool> stop{false}, ready{false};
        std::thread server([&, served = endpoint] {
            serve_sim_modem(modem, clock, served, stop, [&](const std::string&) { ready = true; });
        });
        while (!ready) std::this_thread::yield();
        {
            modem_options_t o;
            o.connect = modem_connector(parse_modem_uri(uri), clock);
            o.intake = [](const std::u16string&) { return sms_intake_t::take; };
            modem_service_t service(std::move(o));
            ASSERT_TRUE(service.connect()) << uri;
            sms_outgoing_t request;
            request.address = u"+79001234567";
            request.text = u"BAL;;ver=w2.17";
            request.port = 0x2201;
            EXPECT_TRUE(service.send_now(request).ok()) << uri;
            // The answer is announced right after the send; reading waits for it, at most a few rounds.
            for (int round = 0; round < 50 && service.ledger().messages().empty(); ++round)
                service.pump(modem_time_t(100));
            ASSERT_EQ(service.ledger().messages().size(), 1u) << uri;
            EXPECT_EQ(service.ledger().messages()[0].text, u"Баланс карты: 12 345,67 руб. APP_PORT=2201") << uri;
        }
        stop = true;
        server.join();
    }
    std::filesystem::remove_all(dir);
}
