#include "ui/screen_size.h"

namespace {

// A side of at most five digits, so that no overflow is possible before the bounds check.
std::optional<int> parse_side(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < screen_size_t::min_side || value > screen_size_t::max_side) return std::nullopt;
    return value;
}

}  // namespace

std::optional<screen_size_t> parse_screen_size(std::string_view text) {
    auto x = text.find_first_of("xX");
    if (x == std::string_view::npos) return std::nullopt;
    auto width = parse_side(text.substr(0, x));
    auto height = parse_side(text.substr(x + 1));
    if (!width || !height) return std::nullopt;
    return screen_size_t{*width, *height};
}
