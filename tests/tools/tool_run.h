#pragma once

// Runs a command-line tool as a user would, its standard output and error going to files that the test reads.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

struct tool_result_t {
    int status;
    std::string out, err;
};

inline std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `program args` through the shell; the exit status, or -1 when the program did not exit by itself.
inline int run_tool(const std::string& program, const std::string& args, const std::filesystem::path& out,
                    const std::filesystem::path& err) {
    const std::string command = program + " " + args + " >" + out.string() + " 2>" + err.string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
