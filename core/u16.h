#pragma once

#include <string>
#include <string_view>

// Conversions at the edges of the core, which holds every text as UTF-16.

// UTF-16 to UTF-8. An unpaired surrogate becomes U+FFFD, so that any text can be printed.
std::string to_utf8(std::u16string_view text);

// UTF-8 to UTF-16. A malformed sequence becomes U+FFFD.
std::u16string from_utf8(std::string_view text);
