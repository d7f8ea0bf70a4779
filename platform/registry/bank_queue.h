#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The application's registry key, with the reinstall marker an installer leaves there.
inline constexpr char16_t application_key[] = u"\\Software\\Corsendor\\Quillantora";
inline constexpr char16_t reinstall_value[] = u"reinstall_flag";

// The queue of bank messages that the message routing keeps for the application while it is not looking:
// each value is one message, its data the text as zero-terminated UTF-16 (little-endian), its name only used
// to remove it.
inline constexpr char16_t queue_key[] = u"\\Software\\Corsendor\\Quillantora\\Inbox";
// Where values that no reader can take are moved, out of the queue but kept for a person to read.
inline constexpr char16_t queue_aside_key[] = u"\\Software\\Corsendor\\Quillantora\\Inbox.aside";

// Limits of one queued value. A joined bank answer of the longest kind (255 parts of 160 characters) fits the
// data limit; a longer value can only come from a foreign writer.
inline constexpr size_t queue_max_name = 255;
inline constexpr size_t queue_max_bytes = 2 * (255 * 160 + 1);
// How many values one reading takes at most; the rest waits for the next reading.
inline constexpr size_t queue_max_values = 1000;

std::string queue_value_data(std::u16string_view text);
// The text up to the first zero unit; an odd last byte is ignored.
std::u16string queue_value_text(std::string_view data);

// Writes one text into the queue under a fresh name that sorts after the earlier ones; false when it could not.
bool queue_bank_text(const std::filesystem::path& registry_root, std::u16string_view text);

struct queued_text_t {
    std::u16string name;  // the value's name, to remove it by
    std::u16string text;
};

// Reads every queued text, in the order of the names, and leaves them in the queue. A value too large for the
// limits is moved to the aside key, and the reading goes on after it. `warn` hears of each one.
std::vector<queued_text_t> read_queued_texts(const std::filesystem::path& registry_root,
                                             const std::function<void(const std::string&)>& warn = {});
// Removes one queued value by its name: its text has been shown.
void remove_queued_text(const std::filesystem::path& registry_root, const std::u16string& name);

// Takes every queued text: reads them as read_queued_texts does and removes the values read once all are read.
std::vector<std::u16string> take_queued_texts(const std::filesystem::path& registry_root,
                                              const std::function<void(const std::string&)>& warn = {});
