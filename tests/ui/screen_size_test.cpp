#include "ui/screen_size.h"

#include <gtest/gtest.h>

TEST(screen_size, reads_width_and_height_within_bounds) {
    struct case_t {
        const char* text;
        bool ok;
        int width, height;
    };
    const case_t cases[] = {
        {"320x480", true, 320, 480}, {"240X320", true, 240, 320}, {"160x4096", true, 160, 4096},
        {"159x480", false, 0, 0},    {"320x4097", false, 0, 0},   {"320", false, 0, 0},
        {"x480", false, 0, 0},       {"320x", false, 0, 0},       {"320x480x2", false, 0, 0},
        {"-320x480", false, 0, 0},   {" 320x480", false, 0, 0},   {"99999999999x480", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const auto& c : cases) {
        auto size = parse_screen_size(c.text);
        ASSERT_EQ(size.has_value(), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(size->width, c.width) << c.text;
        EXPECT_EQ(size->height, c.height) << c.text;
    }
}
