#include "vars/template_expand.h"

namespace {

bool is_space(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

std::u16string trimmed(std::u16string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && is_space(s[b])) ++b;
    while (e > b && is_space(s[e - 1])) --e;
    return std::u16string(s.substr(b, e - b));
}

}  // namespace

std::u16string expand_template(std::u16string_view templ, const template_resolver_t& resolve) {
    std::u16string result(templ);
    size_t p = result.find(u'{');
    for (size_t substitutions = 0; p != std::u16string::npos; ++substitutions) {
        if (substitutions == template_max_substitutions || result.size() > template_max_length) break;
        size_t close = result.find(u'}', p);
        if (close == std::u16string::npos) break;
        std::u16string key = trimmed(std::u16string_view(result).substr(p + 1, close - p - 1));
        result.erase(p, close - p + 1);
        bool whole_text = false;
        std::u16string value = resolve(key, whole_text);
        if (whole_text) return value;
        result.insert(p, value);
        p = result.find(u'{', p);
    }
    return result;
}
