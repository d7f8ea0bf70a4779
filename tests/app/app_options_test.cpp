#include "app/app_options.h"

#include <gtest/gtest.h>

namespace {

TEST(AppOptions, EveryOptionAndItsFaults) {
    const app_options_t all =
        parse_app_options({"--config-dir", "/c", "--registry", "/r", "--platform-type", "PocketPC", "--modem",
                           "tcp:127.0.0.1:7201", "--screen", "240x320", "--verbose", "--scenario", "s.txt",
                           "--screenshots", "/shots", "--trace-startup", "/t"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.config_dir, "/c");
    EXPECT_EQ(all.registry, "/r");
    EXPECT_EQ(all.platform_type, "PocketPC");
    EXPECT_EQ(all.modem, "tcp:127.0.0.1:7201");
    EXPECT_EQ(all.screen.width, 240);
    EXPECT_EQ(all.screen.height, 320);
    EXPECT_TRUE(all.verbose);
    EXPECT_EQ(all.scenario, "s.txt");
    EXPECT_EQ(all.screenshots, "/shots");
    EXPECT_EQ(all.trace_startup, "/t");

    const app_options_t none = parse_app_options({});
    EXPECT_EQ(none.error, "");
    EXPECT_EQ(none.modem, "sim");
    EXPECT_FALSE(none.config_dir || none.registry || none.platform_type);
    EXPECT_TRUE(parse_app_options({"--help"}).help);
    EXPECT_TRUE(parse_app_options({"--version"}).version);
    EXPECT_TRUE(parse_app_options({"--demo", "--registry", "/r"}).demo);
    // The demo has its own folder, on the simulated bank.
    EXPECT_EQ(parse_app_options({"--demo", "--config-dir", "/c"}).error,
              "--demo работает в своём каталоге, --config-dir с ним не задаётся");
    EXPECT_EQ(parse_app_options({"--modem", "tcp:127.0.0.1:7201", "--demo"}).error,
              "--demo работает только на имитаторе модема");

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--screen", "10x10"},
                                                                                     {"--screen"},
                                                                                     {"--modem", "ftp:x"},
                                                                                     {"--config-dir"},
                                                                                     {"extra"},
                                                                                     {"--colour"},
                                                                                     {"--scenario"},
                                                                                     {"--screenshots", "/shots"},
                                                                                     {"--trace-startup"}})
        EXPECT_NE(parse_app_options(bad).error, "") << bad[0];
    // The modem address is refused in the program's language, whatever is wrong with it.
    for (const char* address : {"ftp:x", "serial:", "serial:/dev/ttyUSB0:быстро", "tcp:host"})
        EXPECT_EQ(parse_app_options({"--modem", address}).error,
                  std::string("неверный адрес модема «") + address +
                      "» (ожидается sim, serial:УСТРОЙСТВО[:СКОРОСТЬ], tcp:УЗЕЛ:ПОРТ, mm[:МОДЕМ] или auto)");
    // ModemManager's modem: the first, one named by identifier or path, or whatever the machine has.
    for (const char* address : {"mm", "mm:490154203237518", "mm:/org/freedesktop/ModemManager1/Modem/3", "auto"})
        EXPECT_EQ(parse_app_options({"--modem", address}).error, "") << address;
    EXPECT_NE(parse_app_options({"--modem", "auto", "--demo"}).error, "");
}

}  // namespace
