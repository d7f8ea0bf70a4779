#pragma once

#include <mutex>

// The one decision that a cancel and a send race for: whether a request's first part is handed to the modem.
// The sender asks begin_write() right before it writes a part; the user's cancel asks withdraw(). Whichever
// comes first wins, so a cancel that was told "withdrawn" can trust that nothing of the request ever leaves.
class send_control_t {
public:
    // The sender is about to write a part: false once the request was withdrawn.
    bool begin_write() {
        std::lock_guard hold(lock_);
        if (withdrawn_) return false;
        written_ = true;
        return true;
    }
    // Asks that nothing more be written. True when nothing was written before: the request is withdrawn whole.
    bool withdraw() {
        std::lock_guard hold(lock_);
        withdrawn_ = true;
        return !written_;
    }
    bool withdrawn() const {
        std::lock_guard hold(lock_);
        return withdrawn_;
    }

private:
    mutable std::mutex lock_;
    bool withdrawn_ = false;
    bool written_ = false;
};
