#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Named moments of one run, for the start-up benchmark (`ostrevan --trace-startup FILE`): each a line
// "MICROSECONDS NAME" on the machine's monotonic clock (std::chrono::steady_clock), written as it happens so that
// a run that dies still leaves what it reached. Nothing is done until a file is opened: a mark is one atomic load.
namespace moment_trace {

// Starts the file afresh; false when it cannot be written.
bool open(const std::string& file);
bool active();
// Any thread.
void mark(std::string_view name);
void mark_at(int64_t microseconds, std::string_view name);
int64_t now_microseconds();

}  // namespace moment_trace
