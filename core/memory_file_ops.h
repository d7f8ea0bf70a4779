#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/file_ops.h"

// Files held in memory: for fuzzing and for tests that need no disk. Renames and removals act on the map;
// fsync does nothing.
class memory_file_ops_t final : public file_ops_t {
public:
    std::map<std::string, std::vector<unsigned char>> files;
    // Whether map() succeeds, as on a real file, or fails, as on a pipe, so that readers take their other
    // path. A mapping is a copy of the file's bytes at the time.
    bool mappable = false;
    // The processes that run, and this one, for the names of temporary files.
    std::set<long> running;
    long pid = 1;

    int open_read(const std::string& path) override;
    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override;
    bool size(int handle, uint64_t& bytes) override;
    long read(int handle, void* buffer, size_t n) override;
    long write(int handle, const void* buffer, size_t n) override;
    bool fsync(int handle) override;
    bool close(int handle) override;
    const void* map(int handle, uint64_t bytes) override;
    void unmap(const void* data, uint64_t bytes) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool fsync_dir(const std::string& dir) override;
    bool remove(const std::string& path) override;
    std::vector<std::string> list_files(const std::string& dir) override;
    bool process_running(long p) override { return p == pid || running.count(p) > 0; }
    long own_pid() override { return pid; }

private:
    struct open_file_t {
        std::string path;
        size_t position = 0;
    };
    open_file_t* find(int handle);

    std::map<int, open_file_t> open_;
    std::map<const void*, std::vector<unsigned char>> mappings_;
    int next_handle_ = 3;
    int next_temp_ = 0;
};
