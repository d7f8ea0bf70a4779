#include "messaging/sms_rule.h"

namespace {

constexpr std::u16string_view code_start = u"CFM";
// Characters that may stand before "CFM" for it to start a code.
constexpr std::u16string_view code_delimiters = u" !\"'()*+,-./:;=?[\\]_{|}";

void remove_first(std::u16string& text, std::u16string_view what) {
    auto at = text.find(what);
    if (at != std::u16string::npos) text.erase(at, what.size());
}

}  // namespace

bool sms_rule_t::match(std::u16string& text) {
    std::lock_guard hold(lock_);
    if (!enabled_ || prefix_.empty()) return true;
    if (!text.starts_with(prefix_)) return false;
    text.erase(0, prefix_.size());
    return true;
}

void sms_rule_t::set_prefix(std::u16string prefix) {
    std::lock_guard hold(lock_);
    prefix_ = std::move(prefix);
}

void sms_rule_t::set_enabled(bool enabled) {
    std::lock_guard hold(lock_);
    enabled_ = enabled;
}

std::u16string sms_rule_t::confirmation_code(std::u16string_view text) const {
    const size_t n = text.size();
    size_t from = 0;
    for (;;) {
        size_t at = text.find(code_start, from);
        // An occurrence that ends the text gives no code, even when an earlier one was skipped.
        if (at == std::u16string_view::npos || at + code_start.size() >= n) return {};
        if (at == 0 || code_delimiters.find(text[at - 1]) != std::u16string_view::npos) {
            size_t end = at + code_start.size();
            while (end < n && text[end] >= u'0' && text[end] <= u'9') ++end;
            return std::u16string(text.substr(at, end - at));
        }
        from = at + 1;
    }
}

bool qlt_sms_rule_t::match(std::u16string& text) {
    if (!sms_rule_t::match(text)) return false;
    return carries_bank_marker(text);
}

bool carries_bank_marker(std::u16string_view text) {
    return text.find(bank_marker) != std::u16string_view::npos ||
           text.find(bank_marker_short) != std::u16string_view::npos;
}

void break_cut_codes(std::u16string& text, std::u16string_view missing) {
    if (missing.empty()) return;
    for (size_t at = text.find(code_start); at != std::u16string::npos; at = text.find(code_start, at + 1)) {
        size_t end = at + code_start.size();
        while (end < text.size() && text[end] >= u'0' && text[end] <= u'9') ++end;
        if (end < text.size() && std::u16string_view(text).substr(end).starts_with(missing))
            text.insert(at + 2, 1, u'\u2060');
    }
}

void remove_bank_markers(std::u16string& text) {
    remove_first(text, bank_marker);
    remove_first(text, bank_marker_short);
}
