// The moments of a run: nothing is written until a file is opened; then each mark is a line on the monotonic clock
// as it happens, from any thread, none lost or mixed into another, each thread's in its own order.
#include "core/moment_trace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

TEST(MomentTrace, MarksFromEveryThreadAreWholeLines) {
    moment_trace::mark("before any file");  // nothing to write to, and nothing happens
    const auto file = std::filesystem::temp_directory_path() / ("ostrevan-trace-" + std::to_string(::getpid()));
    ASSERT_TRUE(moment_trace::open(file.string()));
    const int64_t opened = moment_trace::now_microseconds();
    constexpr int threads = 4, marks = 200;
    std::vector<std::thread> markers;
    for (int t = 0; t < threads; ++t)
        markers.emplace_back([t] {
            for (int i = 0; i < marks; ++i) moment_trace::mark("thread " + std::to_string(t) + " mark");
        });
    for (auto& m : markers) m.join();
    moment_trace::mark_at(opened - 5, "given time");

    std::ifstream in(file);
    std::map<std::string, int> counted;
    std::map<std::string, int64_t> previous;
    bool given = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        long long us = 0;
        std::string name;
        ASSERT_TRUE(fields >> us && std::getline(fields >> std::ws, name)) << line;
        if (name == "given time") {
            EXPECT_EQ(us, opened - 5);
            given = true;
            continue;
        }
        EXPECT_GE(us, previous.contains(name) ? previous[name] : opened) << "written as it happened";
        previous[name] = us;
        ++counted[name];
    }
    EXPECT_TRUE(given);
    ASSERT_EQ(counted.size(), size_t(threads)) << "no line mixed with another";
    for (const auto& [name, count] : counted) EXPECT_EQ(count, marks) << name;
    std::filesystem::remove(file);
}

}  // namespace
