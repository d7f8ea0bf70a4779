#include "vars/template_expand.h"

namespace {

bool is_space(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

std::u16string_view trim_white_space(std::u16string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && is_space(text[b])) ++b;
    while (e > b && is_space(text[e - 1])) --e;
    return text.substr(b, e - b);
}

std::u16string expand_template(std::u16string_view templ, const template_resolver_t& resolve) {
    std::u16string result(templ);
    size_t p = result.find(u'{');
    for (size_t substitutions = 0; p != std::u16string::npos; ++substitutions) {
        if (substitutions == template_max_substitutions || result.size() > template_max_length) break;
        size_t close = result.find(u'}', p);
        if (close == std::u16string::npos) break;
        std::u16string key(trim_white_space(std::u16string_view(result).substr(p + 1, close - p - 1)));
        result.erase(p, close - p + 1);
        bool whole_text = false;
        std::u16string value = resolve(key, whole_text);
        if (whole_text) return value;
        result.insert(p, value);
        p = result.find(u'{', p);
    }
    return result;
}
