#pragma once

#include <cerrno>
#include <string>

#include "core/file_ops.h"

// A disk that fails: the fail_at-th operation that changes the disk (create, write, fsync, close of a created
// file, rename, folder sync; counting from 1) fails without doing anything, as a full or broken disk would. Every write
// also takes at most `max_write` bytes, as a real write may, so that callers must loop.
class faulty_file_ops_t final : public file_ops_t {
public:
    explicit faulty_file_ops_t(int fail_at, size_t max_write = 1000) : fail_at_(fail_at), max_write_(max_write) {}

    int operations() const { return count_; }
    bool failed() const { return failed_; }
    bool renamed() const { return renamed_; }

    int open_read(const std::string& path) override { return real_.open_read(path); }
    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override {
        if (fail()) return -1;
        int handle = real_.create_temp(target, temp_path, permissions);
        created_ = handle;
        return handle;
    }
    bool size(int handle, uint64_t& bytes) override { return real_.size(handle, bytes); }
    long read(int handle, void* buffer, size_t n) override { return real_.read(handle, buffer, n); }
    long write(int handle, const void* buffer, size_t n) override {
        return fail() ? -1 : real_.write(handle, buffer, n < max_write_ ? n : max_write_);
    }
    bool fsync(int handle) override { return !fail() && real_.fsync(handle); }
    bool close(int handle) override {
        // A failed close still releases the handle, as close(2) does.
        bool failing = handle == created_ && fail();
        if (handle == created_) created_ = -1;  // the number may come back for a file opened for reading
        return real_.close(handle) && !failing;
    }
    bool rename(const std::string& from, const std::string& to) override {
        if (fail()) return false;
        renamed_ = real_.rename(from, to);
        return renamed_;
    }
    bool fsync_dir(const std::string& dir) override { return !fail() && real_.fsync_dir(dir); }
    bool remove(const std::string& path) override { return real_.remove(path); }

private:
    bool fail() {
        if (++count_ != fail_at_) return false;
        failed_ = true;
        errno = EIO;
        return true;
    }

    file_ops_t& real_ = posix_file_ops();
    int fail_at_;
    size_t max_write_;
    int count_ = 0;
    int created_ = -1;
    bool failed_ = false;
    bool renamed_ = false;
};
