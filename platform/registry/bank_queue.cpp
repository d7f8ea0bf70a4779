#include "platform/registry/bank_queue.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>

#include "core/u16.h"
#include "platform/registry/registry.h"

namespace fs = std::filesystem;

std::string queue_value_data(std::u16string_view text) {
    std::string data;
    data.reserve(2 * text.size() + 2);
    for (char16_t c : text) {
        data += char(c & 0xFF);
        data += char(c >> 8);
    }
    data += std::string(2, '\0');
    return data;
}

std::u16string queue_value_text(std::string_view data) {
    std::u16string text;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const char16_t c = char16_t(uint8_t(data[i]) | (uint8_t(data[i + 1]) << 8));
        if (c == 0) break;
        text += c;
    }
    return text;
}

bool queue_bank_text(const fs::path& registry_root, std::u16string_view text) {
    const auto key = registry_key_t::create(registry_root, queue_key);
    if (!key) return false;
    static std::atomic<unsigned> counter{0};
    const auto now =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    char name[64];
    std::snprintf(name, sizeof name, "sms-%020lld-%d-%u", static_cast<long long>(now), int(::getpid()),
                  counter.fetch_add(1));
    return key->write(from_utf8(name), queue_value_data(text));
}

namespace {

// Moves a value no reader can take to the aside key: the one named `name`, or when its name could not be given, the
// one at `index`. True when it is out of the queue.
bool set_aside(const registry_key_t& queue, const fs::path& registry_root, const std::u16string& name, size_t index) {
    fs::path value;
    if (!name.empty()) {
        value = queue.folder() / to_utf8(name);
    } else {
        std::vector<fs::path> names;
        std::error_code error;
        for (fs::directory_iterator it(queue.folder(), error), end; !error && it != end; it.increment(error)) {
            const std::string file = it->path().filename().string();
            std::error_code type_error;
            if (!file.empty() && file[0] != '.' && it->is_regular_file(type_error)) names.push_back(it->path());
        }
        std::sort(names.begin(), names.end());
        if (index >= names.size()) return false;
        value = names[index];
    }
    const auto aside = registry_key_t::create(registry_root, queue_aside_key);
    if (!aside) return false;
    std::error_code error;
    fs::rename(value, aside->folder() / value.filename(), error);
    return !error;
}

}  // namespace

std::vector<queued_text_t> read_queued_texts(const fs::path& registry_root,
                                             const std::function<void(const std::string&)>& warn) {
    std::vector<queued_text_t> read;
    const auto key = registry_key_t::open(registry_root, queue_key);
    if (!key) return read;
    size_t index = 0;
    while (read.size() < queue_max_values) {
        std::u16string name;
        std::string data;
        // Given before the data is read, so that a value too large can still be named.
        const auto status = key->enumerate(index, name, queue_max_name, data, queue_max_bytes);
        if (status == registry_key_t::status_t::ok) {
            read.push_back({name, queue_value_text(data)});
            ++index;
            continue;
        }
        if (status == registry_key_t::status_t::no_more) break;
        // Left in place, the value would stop every later reading at the same index.
        if (!set_aside(*key, registry_root, name, index)) {
            if (warn) warn("a queued bank message could not be read or set aside; it stays in the queue");
            ++index;
            continue;
        }
        if (warn) warn("a queued bank message too large to read was moved to " + to_utf8(queue_aside_key));
    }
    return read;
}

void remove_queued_text(const fs::path& registry_root, const std::u16string& name) {
    if (const auto key = registry_key_t::open(registry_root, queue_key)) key->remove(name);
}

std::vector<std::u16string> take_queued_texts(const fs::path& registry_root,
                                              const std::function<void(const std::string&)>& warn) {
    std::vector<std::u16string> texts;
    const auto read = read_queued_texts(registry_root, warn);
    for (const auto& value : read) texts.push_back(value.text);
    for (const auto& value : read) remove_queued_text(registry_root, value.name);
    return texts;
}
