#include "core/atomic_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <system_error>

namespace {

bool write_fully(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

bool write_file_atomically(const std::filesystem::path& file, std::string_view content, std::filesystem::path* failed) {
    std::error_code ignored;  // a folder that cannot be made shows in the open below
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    const std::string temp = file.string() + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (failed) *failed = temp;
        return false;
    }
    bool ok = write_fully(fd, content);
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        if (failed) *failed = file;
        return false;
    }
    const int dir =
        ::open(file.has_parent_path() ? file.parent_path().c_str() : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

std::filesystem::path set_aside_damaged(const std::filesystem::path& file) {
    std::filesystem::path aside = file.string() + ".bad";
    std::error_code ignored;
    std::filesystem::rename(file, aside, ignored);
    return aside;
}
