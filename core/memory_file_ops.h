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
    // The processes that run, and this one, for the names of temporary files.
    std::set<long> running;
    long pid = 1;
    // When not 0, a read gives at most this many bytes, as a read may, so that readers must ask again.
    size_t max_read = 0;

    int open_read(const std::string& path) override;
    int create_temp(const std::string& target, std::string& temp_path, file_permissions_t permissions) override;
    bool size(int handle, uint64_t& bytes) override;
    long read(int handle, void* buffer, size_t n) override;
    long write(int handle, const void* buffer, size_t n) override;
    bool fsync(int handle) override;
    bool close(int handle) override;
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
    int next_handle_ = 3;
    int next_temp_ = 0;
};
