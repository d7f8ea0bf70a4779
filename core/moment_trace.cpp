#include "core/moment_trace.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>

namespace moment_trace {
namespace {

std::mutex mutex;
std::FILE* file = nullptr;  // under mutex; stays open to the process's end, when the system closes it
std::atomic<bool> opened{false};

}  // namespace

bool open(const std::string& name) {
    std::lock_guard lock(mutex);
    if (file) std::fclose(file);
    file = std::fopen(name.c_str(), "w");
    opened = file != nullptr;
    return file != nullptr;
}

bool active() {
    return opened.load(std::memory_order_relaxed);
}

int64_t now_microseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void mark_at(int64_t microseconds, std::string_view name) {
    if (!active()) return;
    std::lock_guard lock(mutex);
    if (!file) return;
    std::fprintf(file, "%lld %.*s\n", static_cast<long long>(microseconds), int(name.size()), name.data());
    std::fflush(file);
}

void mark(std::string_view name) {
    if (active()) mark_at(now_microseconds(), name);
}

}  // namespace moment_trace
