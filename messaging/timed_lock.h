#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// A lock with a bounded wait, for the hand-overs between the sender and its worker. Built on a condition
// variable rather than std::timed_mutex, whose timed wait ThreadSanitizer cannot follow, so that the
// threaded tests can run under it.
class timed_lock_t {
public:
    void lock() {
        std::unique_lock hold(lock_);
        free_.wait(hold, [this] { return !held_; });
        held_ = true;
    }
    bool try_lock_for(std::chrono::milliseconds wait) {
        std::unique_lock hold(lock_);
        if (!free_.wait_for(hold, wait, [this] { return !held_; })) return false;
        held_ = true;
        return true;
    }
    void unlock() {
        {
            std::lock_guard hold(lock_);
            held_ = false;
        }
        free_.notify_one();
    }

private:
    std::mutex lock_;
    std::condition_variable free_;
    bool held_ = false;
};
