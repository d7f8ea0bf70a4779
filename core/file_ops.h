#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Permissions of a file that the crash-safe writer puts in place.
struct file_permissions_t {
    // Mode of a new file; the process's umask applies, as it does to any file created.
    unsigned mode = 0600;
    // A file that is replaced keeps its own mode instead.
    bool keep_existing = false;
};

// Private to the user, whatever was there before: the settings and the program's own state.
inline constexpr file_permissions_t private_file{0600, false};
// A file others may read (a compiled script): the usual mode under the umask, or the mode of the file replaced.
inline constexpr file_permissions_t shared_file{0666, true};

// The few file operations the crash-safe writer and the archive need, behind one interface so that tests
// can make any of them fail (a full disk, an I/O error) and fuzzers can work on memory. Paths are UTF-8. A
// handle is a small non-negative integer; failures return -1 or false and leave the reason in errno where
// the system gives one.
class file_ops_t {
public:
    virtual ~file_ops_t() = default;

    // Opens an existing regular file read-only.
    virtual int open_read(const std::string& path) = 0;
    // Creates a new, empty file in the folder of `target`, under a name no other file has, with the
    // permissions asked for, and stores that name in `temp_path`.
    virtual int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) = 0;
    // Size of an open file.
    virtual bool size(int handle, uint64_t& bytes) = 0;
    // Reads up to n bytes; returns the count read (0 at the end) or -1.
    virtual long read(int handle, void* buffer, size_t n) = 0;
    // Writes up to n bytes; returns the count written (maybe fewer than n) or -1.
    virtual long write(int handle, const void* buffer, size_t n) = 0;
    // Puts the file's data on the disk.
    virtual bool fsync(int handle) = 0;
    virtual bool close(int handle) = 0;
    // Replaces `to` by `from` in one step.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Puts the folder's entries (a rename into it) on the disk.
    virtual bool fsync_dir(const std::string& dir) = 0;
    virtual bool remove(const std::string& path) = 0;
    // The names of the regular files in a folder (no paths); none when it cannot be read.
    virtual std::vector<std::string> list_files(const std::string& /*dir*/) { return {}; }
    // Whether process `pid` still runs (or may: one that cannot be asked counts as running).
    virtual bool process_running(long /*pid*/) { return true; }
    // This process's id, as it appears in the names of create_temp.
    virtual long own_pid() { return 0; }
};

// The process's real file system.
file_ops_t& posix_file_ops();

// Folder part of a path ("." when it has none).
std::string folder_of(const std::string& path);
