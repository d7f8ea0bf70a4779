#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The registry kept as a folder tree: a key is a folder, a value a file whose name is the value's name (UTF-8)
// and whose bytes are its data. Keys are named as on the device, parts separated by "\" ("Software\Corsendor").
// Writers put a value in place in one step (a hidden temporary file renamed over it), so a reader sees a value
// whole or not at all; names starting with "." are therefore never values.
class registry_key_t {
public:
    enum class status_t { ok, no_more, too_large, failed };

    // An existing key; nothing when it is missing.
    static std::optional<registry_key_t> open(const std::filesystem::path& root, std::u16string_view key);
    // The key, created with the keys above it when missing; nothing when that fails.
    static std::optional<registry_key_t> create(const std::filesystem::path& root, std::u16string_view key);

    // The data of a value: false when it is missing, unreadable or longer than max_bytes.
    bool query(std::u16string_view name, std::string& data, size_t max_bytes) const;
    // The value at `index`, the values taken in the order of their names. too_large when its name is longer than
    // max_name UTF-16 units or its data longer than max_bytes; `name` is then still given when it fits.
    status_t enumerate(size_t index, std::u16string& name, size_t max_name, std::string& data, size_t max_bytes) const;
    // Writes a value in one step; false when the name is not a value name or the write failed.
    bool write(std::u16string_view name, std::string_view data) const;
    // False when the value did not exist or could not be removed.
    bool remove(std::u16string_view name) const;

    const std::filesystem::path& folder() const { return folder_; }

    // A name a value can have: not empty, no "/" or NUL, not starting with ".".
    static bool valid_name(std::u16string_view name);

private:
    explicit registry_key_t(std::filesystem::path folder) : folder_(std::move(folder)) {}

    std::filesystem::path folder_;
};

// The registry's root folder: `--registry DIR`, else OSTREVAN_REGISTRY, else $XDG_STATE_HOME/ostrevan/registry
// (~/.local/state/ostrevan/registry).
std::filesystem::path registry_root(const std::optional<std::string>& option);
