#include "core/text_format.h"

#include <string>

std::u16string format_text(std::u16string_view pattern, std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' && pattern[i + 1] <= u'9') {
            size_t n = pattern[i + 1] - u'1';
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

std::u16string number_text(int64_t value) {
    std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}
