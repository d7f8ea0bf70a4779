#include "platform/registry/registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "core/u16.h"

namespace fs = std::filesystem;

namespace {

// "A\B\C" to the folder root/A/B/C; empty parts are skipped, and no part may climb out of the root.
std::optional<fs::path> key_folder(const fs::path& root, std::u16string_view key) {
    fs::path folder = root;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find(u'\\', start);
        if (end == std::u16string_view::npos) end = key.size();
        const std::u16string_view part = key.substr(start, end - start);
        if (!part.empty()) {
            if (part == u"." || part == u".." || part.find(u'/') != part.npos || part.find(u'\0') != part.npos)
                return std::nullopt;
            folder /= to_utf8(part);
        }
        start = end + 1;
    }
    return folder;
}

bool read_file(const fs::path& file, std::string& data, size_t max_bytes, bool& too_large) {
    too_large = false;
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error) return false;
    if (size > max_bytes) {
        too_large = true;
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    data.assign(size, '\0');
    in.read(data.data(), std::streamsize(size));
    return bool(in) || in.gcount() == std::streamsize(size);
}

std::vector<std::string> value_names(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code type_error;
        if (!it->is_regular_file(type_error)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::optional<registry_key_t> registry_key_t::open(const fs::path& root, std::u16string_view key) {
    auto folder = key_folder(root, key);
    std::error_code error;
    if (!folder || !fs::is_directory(*folder, error)) return std::nullopt;
    return registry_key_t(*folder);
}

std::optional<registry_key_t> registry_key_t::create(const fs::path& root, std::u16string_view key) {
    auto folder = key_folder(root, key);
    if (!folder) return std::nullopt;
    std::error_code error;
    fs::create_directories(*folder, error);
    if (!fs::is_directory(*folder, error)) return std::nullopt;
    return registry_key_t(*folder);
}

bool registry_key_t::valid_name(std::u16string_view name) {
    return !name.empty() && name[0] != u'.' && name.find(u'/') == name.npos && name.find(u'\0') == name.npos;
}

bool registry_key_t::query(std::u16string_view name, std::string& data, size_t max_bytes) const {
    if (!valid_name(name)) return false;
    bool too_large = false;
    return read_file(folder_ / to_utf8(name), data, max_bytes, too_large);
}

registry_key_t::status_t registry_key_t::enumerate(size_t index, std::u16string& name, size_t max_name,
                                                   std::string& data, size_t max_bytes) const {
    const std::vector<std::string> names = value_names(folder_);
    if (index >= names.size()) return status_t::no_more;
    const std::u16string found = from_utf8(names[index]);
    bool too_large = false;
    if (found.size() > max_name) return status_t::too_large;
    name = found;
    if (read_file(folder_ / names[index], data, max_bytes, too_large)) return status_t::ok;
    return too_large ? status_t::too_large : status_t::failed;
}

bool registry_key_t::write(std::u16string_view name, std::string_view data) const {
    if (!valid_name(name)) return false;
    const fs::path target = folder_ / to_utf8(name);
    std::string temp = (folder_ / ("." + to_utf8(name) + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = true;
    for (size_t done = 0; ok && done < data.size();) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += size_t(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    const int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool registry_key_t::remove(std::u16string_view name) const {
    if (!valid_name(name)) return false;
    std::error_code error;
    return fs::remove(folder_ / to_utf8(name), error);
}

fs::path registry_root(const std::optional<std::string>& option) {
    if (option) return *option;
    if (const char* from_environment = std::getenv("OSTREVAN_REGISTRY"); from_environment && *from_environment)
        return from_environment;
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = state && *state ? fs::path(state) : fs::path(home ? home : ".") / ".local/state";
    return base / "ostrevan" / "registry";
}
