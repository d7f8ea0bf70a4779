// Incoming SMS texts come from anyone: the bank rule, the code search and the marker removal must take
// any sequence of UTF-16 units. The first byte chooses the rule's mode; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "messaging/sms_rule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 4096) return 0;
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    qlt_sms_rule_t rule;
    rule.set_enabled(data[0] & 1);
    if (data[0] & 2) rule.set_prefix(u"{7}");
    const std::u16string code = rule.confirmation_code(text);
    // A code is "CFM" and digits, and it stands in the text.
    if (!code.empty() && (!code.starts_with(u"CFM") || text.find(code) == std::u16string::npos)) std::abort();
    std::u16string matched = text;
    if (rule.match(matched) && matched.size() > text.size()) std::abort();
    remove_bank_markers(matched);
    return 0;
}
