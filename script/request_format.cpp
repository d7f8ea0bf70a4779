#include "script/request_format.h"

#include <algorithm>

#include "vars/string_var.h"

namespace {

constexpr size_t min_amount_digits = 5;
// The width comes from the input's maximum length; a script that leaves it at some huge number must not
// make the request that long.
constexpr size_t max_zero_fill_width = 1024;

}  // namespace

std::u16string amount_in_minor_units(std::u16string text) {
    const size_t point = text.find(u'.');
    if (point == std::u16string::npos) {
        text += u"00";
    } else {
        while (text.size() - point - 1 < 2) text += u'0';
        text.erase(point, 1);
    }
    if (text.size() < min_amount_digits) text.insert(0, min_amount_digits - text.size(), u'0');
    return text;
}

std::u16string rotated_date(const std::u16string& text) {
    std::u16string rotated = text + text.substr(0, 2);
    rotated.erase(0, 2);
    return rotated;
}

std::u16string print_for_request(const string_var_t& var, bool for_display, bool as_typed) {
    std::u16string text = for_display && !var.display.empty() ? var.display : var.value;
    if (var.zero_fill && !text.empty() && var.zero_fill_width > 0) {
        const size_t width = std::min(size_t(var.zero_fill_width), max_zero_fill_width);
        if (text.size() < width) text.insert(0, width - text.size(), u'0');
    }
    if (var.remove_point && !as_typed) text = amount_in_minor_units(std::move(text));
    if (var.change_date && !as_typed) text = rotated_date(text);
    return text;
}
