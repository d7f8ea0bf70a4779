#pragma once

#include <optional>
#include <string_view>

// The size of the device's screen in pixels, as given by `--screen WxH`.
struct screen_size_t {
    int width = 320;
    int height = 480;

    static constexpr int min_side = 160;
    static constexpr int max_side = 4096;
};

// Reads "WxH" (decimal digits, "x" or "X"); nothing else is accepted, and each side must lie within
// min_side..max_side.
std::optional<screen_size_t> parse_screen_size(std::string_view text);
