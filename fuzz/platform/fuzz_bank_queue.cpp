// A queued bank message is written by whatever routes messages to the program: its bytes may be anything. The
// reader takes the UTF-16 text up to the first zero unit, and what the program writes it reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/registry/bank_queue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > queue_max_bytes) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = queue_value_text(bytes);
    if (2 * text.size() > size) std::abort();
    if (text.find(u'\0') != std::u16string::npos) std::abort();
    if (queue_value_text(queue_value_data(text)) != text) std::abort();
    return 0;
}
