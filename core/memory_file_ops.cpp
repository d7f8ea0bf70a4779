#include "core/memory_file_ops.h"

#include <algorithm>
#include <cstring>

memory_file_ops_t::open_file_t* memory_file_ops_t::find(int handle) {
    auto it = open_.find(handle);
    if (it == open_.end() || !files.count(it->second.path)) return nullptr;
    return &it->second;
}

int memory_file_ops_t::open_read(const std::string& path) {
    if (!files.count(path)) return -1;
    open_[next_handle_] = {path, 0};
    return next_handle_++;
}

int memory_file_ops_t::create_temp(const std::string& target, std::string& temp_path, file_permissions_t) {
    std::string name;
    do name = target + ".tmp-" + std::to_string(pid) + "-" + std::to_string(next_temp_++);
    while (files.count(name));
    files[name];
    temp_path = name;
    open_[next_handle_] = {name, 0};
    return next_handle_++;
}

bool memory_file_ops_t::size(int handle, uint64_t& bytes) {
    open_file_t* f = find(handle);
    if (!f) return false;
    bytes = files[f->path].size();
    return true;
}

long memory_file_ops_t::read(int handle, void* buffer, size_t n) {
    open_file_t* f = find(handle);
    if (!f) return -1;
    const auto& data = files[f->path];
    if (max_read != 0) n = std::min(n, max_read);
    size_t count = f->position < data.size() ? std::min(n, data.size() - f->position) : 0;
    if (count) std::memcpy(buffer, data.data() + f->position, count);
    f->position += count;
    return static_cast<long>(count);
}

long memory_file_ops_t::write(int handle, const void* buffer, size_t n) {
    open_file_t* f = find(handle);
    if (!f) return -1;
    auto& data = files[f->path];
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    data.resize(std::max(data.size(), f->position + n));
    std::copy(bytes, bytes + n, data.begin() + static_cast<long>(f->position));
    f->position += n;
    return static_cast<long>(n);
}

bool memory_file_ops_t::fsync(int handle) {
    return open_.count(handle) != 0;
}

bool memory_file_ops_t::close(int handle) {
    return open_.erase(handle) != 0;
}

bool memory_file_ops_t::rename(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (it == files.end()) return false;
    auto data = std::move(it->second);
    files.erase(it);
    files[to] = std::move(data);
    for (auto& [handle, f] : open_)
        if (f.path == from) f.path = to;
    return true;
}

bool memory_file_ops_t::fsync_dir(const std::string&) {
    return true;
}

bool memory_file_ops_t::remove(const std::string& path) {
    return files.erase(path) != 0;
}

std::vector<std::string> memory_file_ops_t::list_files(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files)
        if (folder_of(path) == dir) names.push_back(path.substr(path.find_last_of('/') + 1));
    return names;
}
