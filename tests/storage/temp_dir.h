#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/u16.h"

// A fresh folder for one test, removed afterwards.
class temp_dir_t {
public:
    temp_dir_t() {
        std::string name = (std::filesystem::temp_directory_path() / "ostrevan-test-XXXXXX").string();
        path_ = ::mkdtemp(name.data());
    }
    ~temp_dir_t() { std::filesystem::remove_all(path_); }

    const std::filesystem::path& path() const { return path_; }
    std::u16string file(const std::string& name) const { return from_utf8((path_ / name).string()); }
    // Names of the files in the folder, to see that no temporary file is left behind.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(path_)) out.push_back(e.path().filename().string());
        return out;
    }

private:
    std::filesystem::path path_;
};

inline std::vector<unsigned char> read_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
