#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Template expansion shared by every text the script shows or sends: each "{key}" (white space around the
// key trimmed) is replaced by the value the resolver gives for the key, and the value is scanned again, so
// that placeholders inside values expand in turn. A "{" without a later "}" and the rest stay as they are.
// When the resolver sets `whole_text`, the result becomes that value alone and expansion stops.
//
// Values that contain their own placeholder would expand forever; expansion therefore stops, leaving the
// text as it stands, after max_substitutions replacements or once the text is longer than max_length.
using template_resolver_t = std::function<std::u16string(const std::u16string& key, bool& whole_text)>;

inline constexpr size_t template_max_substitutions = 1000;
inline constexpr size_t template_max_length = 65536;

std::u16string expand_template(std::u16string_view templ, const template_resolver_t& resolve);

// `text` without the white space around it (space, tab, line breaks, vertical tab, form feed): a placeholder's
// key is the text between its braces so trimmed.
std::u16string_view trim_white_space(std::u16string_view text);
