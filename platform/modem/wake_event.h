#pragma once

// A descriptor that any thread makes readable to end another thread's wait in poll(): the modem's thread sleeps
// on it beside its link, so that a queued send, a new intake or a stop is taken at once.
class wake_event_t {
public:
    wake_event_t();
    ~wake_event_t();
    wake_event_t(const wake_event_t&) = delete;
    wake_event_t& operator=(const wake_event_t&) = delete;

    // Any thread.
    void signal();
    // Makes the descriptor unreadable again; the waiting thread calls it before it looks at what changed.
    void clear();
    int fd() const { return fd_; }

private:
    int fd_;
};
