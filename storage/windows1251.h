#pragma once

#include <string>
#include <string_view>

// Decodes 8-bit text in the Windows-1251 code page, the one of strings stored without the Unicode marker by
// other writers of the archive. The one unassigned byte, 0x98, becomes U+FFFD.
std::u16string decode_windows1251(std::string_view bytes);
