#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/file_ops.h"

namespace {

class posix_file_ops_t final : public file_ops_t {
public:
    int open_read(const std::string& path) override {
        int fd;
        do fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        while (fd < 0 && errno == EINTR);
        if (fd < 0) return -1;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            errno = EISDIR;
            return -1;
        }
        return fd;
    }

    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override {
        // The file is made by open() with the mode asked for, so that the umask applies as to any new file.
        struct stat existing {};
        const bool keep =
            permissions.keep_existing && ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
        static std::atomic<unsigned> serial{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
            int fd;
            do fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, permissions.mode);
            while (fd < 0 && errno == EINTR);
            if (fd < 0 && errno == EEXIST) continue;
            if (fd < 0) return -1;
            if (keep && ::fchmod(fd, existing.st_mode & 07777) != 0) {
                ::close(fd);
                ::unlink(name.c_str());
                return -1;
            }
            temp_path = name;
            return fd;
        }
        errno = EEXIST;
        return -1;
    }

    bool size(int handle, uint64_t& bytes) override {
        struct stat st {};
        if (::fstat(handle, &st) != 0) return false;
        bytes = static_cast<uint64_t>(st.st_size);
        return true;
    }

    long read(int handle, void* buffer, size_t n) override {
        ssize_t r;
        do r = ::read(handle, buffer, n);
        while (r < 0 && errno == EINTR);
        return static_cast<long>(r);
    }

    long write(int handle, const void* buffer, size_t n) override {
        ssize_t r;
        do r = ::write(handle, buffer, n);
        while (r < 0 && errno == EINTR);
        return static_cast<long>(r);
    }

    bool fsync(int handle) override { return ::fsync(handle) == 0; }
    // A failed close may mean lost data on some file systems; it is never retried, since the handle is gone.
    bool close(int handle) override { return ::close(handle) == 0; }
    bool rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }

    bool fsync_dir(const std::string& dir) override {
        int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = ::fsync(fd) == 0;
        return ::close(fd) == 0 && ok;
    }

    bool remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

    std::vector<std::string> list_files(const std::string& dir) override {
        std::vector<std::string> names;
        DIR* folder = ::opendir(dir.c_str());
        if (!folder) return names;
        while (const dirent* entry = ::readdir(folder)) {
            struct stat st {};
            const std::string name = entry->d_name;
            if (::fstatat(::dirfd(folder), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                names.push_back(name);
        }
        ::closedir(folder);
        return names;
    }

    bool process_running(long pid) override {
        // Asked of /proc, without signalling anything; where /proc cannot tell, every process counts as running.
        if (pid <= 0 || ::access("/proc/self", F_OK) != 0) return true;
        return ::access(("/proc/" + std::to_string(pid)).c_str(), F_OK) == 0;
    }

    long own_pid() override { return static_cast<long>(::getpid()); }
};

}  // namespace

file_ops_t& posix_file_ops() {
    static posix_file_ops_t ops;
    return ops;
}

std::string folder_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}
