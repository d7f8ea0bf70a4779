#include "messaging/sms_dialog.h"

sms_dialog_t::sms_dialog_t() = default;

sms_dialog_t::~sms_dialog_t() = default;

bool sms_dialog_t::run() {
    exec_modal();
    // A window that never reported its initialisation must not keep a worker waiting for ever.
    initialised();
    std::lock_guard hold(state_lock_);
    return ended_ && sent_;
}

void sms_dialog_t::end_success() {
    end(true);
}

void sms_dialog_t::end_cancel() {
    end(false);
}

void sms_dialog_t::initialised() {
    if (ready_hold_.owns_lock()) ready_hold_.unlock();
}

void sms_dialog_t::end(bool sent) {
    // Wait until the window is initialised, then let the lock go at once: both the worker and the
    // button must be able to pass it.
    { std::lock_guard ready(ready_lock_); }
    std::lock_guard hold(state_lock_);
    if (ended_) return;
    ended_ = true;
    sent_ = sent;
    close_modal(sent);
}
