#pragma once

#include <mutex>

// The modal "sending" dialog as the sender sees it. The worker thread ends it with success or failure,
// the user ends it by cancelling; the first end decides the outcome and later ones change nothing.
// `ready_lock` is held by the constructing (user-interface) thread until the window is initialised, so
// that a worker finishing very fast waits until there is a window to end.
class sms_dialog_t {
public:
    sms_dialog_t();
    virtual ~sms_dialog_t();
    sms_dialog_t(const sms_dialog_t&) = delete;
    sms_dialog_t& operator=(const sms_dialog_t&) = delete;

    // Shows the dialog modally; true only if a success end came before any cancel.
    bool run();
    void end_success();  // any thread
    void end_cancel();   // any thread

protected:
    // The window exists and is placed: lets ends through. Called once, on the constructing thread.
    void initialised();
    // Shows the window and returns once close_modal has been called and taken effect.
    virtual void exec_modal() = 0;
    // Ends the modal run; called on whichever thread ends the dialog.
    virtual void close_modal(bool sent) = 0;

private:
    void end(bool sent);

    std::mutex ready_lock_;
    std::unique_lock<std::mutex> ready_hold_{ready_lock_};
    std::mutex state_lock_;
    bool ended_ = false;
    bool sent_ = false;
};
