#include "app/scenario/scenario_text.h"

#include <vector>

#include "core/text_format.h"
#include "core/u16.h"

std::string scenario_text(std::u16string_view pattern, std::initializer_list<std::string_view> args) {
    std::vector<std::u16string> wide;
    for (std::string_view arg : args) wide.push_back(from_utf8(arg));
    auto at = [&](size_t i) { return i < wide.size() ? std::u16string_view(wide[i]) : std::u16string_view(); };
    // No pattern has more than three places; an argument not given leaves its place as written.
    std::u16string text;
    switch (wide.size()) {
        case 0:
            text = format_text(pattern, {});
            break;
        case 1:
            text = format_text(pattern, {at(0)});
            break;
        case 2:
            text = format_text(pattern, {at(0), at(1)});
            break;
        default:
            text = format_text(pattern, {at(0), at(1), at(2)});
            break;
    }
    return to_utf8(text);
}
