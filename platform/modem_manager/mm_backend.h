#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/modem/backend_listeners.h"
#include "platform/modem/sms_backend.h"
#include "platform/modem_manager/mm_names.h"

class QThread;
class mm_link_t;

struct mm_options_t {
    // Which modem: its equipment identifier or its object path; empty for the first one with messaging.
    std::string modem;
    std::filesystem::path ledger_file;  // empty: nothing kept on disk
    sms_ledger_t::wall_clock_t wall_clock;
    std::function<void(const std::string&)> warn;  // diagnostics; dropped when empty
    sms_intake_filter_t intake;                    // which incoming texts are ours; empty: none, until set
    // Longest a caller waits for its send to start (no modem yet, or an earlier send still running).
    std::chrono::milliseconds send_start_wait{std::chrono::seconds(180)};
    // Longest Sms.Send is waited for, per part: more than ModemManager's own time for a part, so that its answer
    // is never cut short; tests make it shorter.
    std::chrono::milliseconds send_wait_per_part = mm::send_wait_per_part;
    // How long the modem is waited for before the user is told that there is none, and what is told then
    // (empty: that ModemManager is not running, or has no modem with messaging).
    std::chrono::milliseconds absent_notice_after{std::chrono::seconds(5)};
    std::u16string absent_notice;
};

// The modem as ModemManager holds it, over the system D-Bus: the modem with the Messaging interface (the one
// named, or the first), its state at start told as the AT backend tells it, requests sent with Create and Send,
// and the received messages taken into the ledger (at start by List, then as Added announces them; a message
// still arriving in parts when it is whole) and deleted from ModemManager only once the ledger keeps them. It
// follows modems coming and going and ModemManager restarting. Every D-Bus call runs on the backend's own
// thread, with its own Qt event loop; a QCoreApplication must exist.
class mm_backend_t final : public sms_backend_t {
public:
    explicit mm_backend_t(mm_options_t options);
    ~mm_backend_t() override;
    mm_backend_t(const mm_backend_t&) = delete;
    mm_backend_t& operator=(const mm_backend_t&) = delete;

    sms_ledger_t& ledger() override { return ledger_; }
    void on_new_messages(std::function<void()> handler) override;
    void on_notice(std::function<void(const std::u16string&)> handler) override;
    void set_intake(sms_intake_filter_t intake) override;
    send_result_t send(const sms_outgoing_t& message, std::shared_ptr<send_control_t> control = nullptr) override;
    bool withdraw(send_control_t& control) override;

    // Starts the thread and the search for the modem.
    void start();
    void stop();

private:
    friend class mm_link_t;
    void warn(const std::string& text);
    void tell(const std::u16string& notice);
    void notify_new();
    sms_intake_filter_t intake() const;

    mm_options_t options_;
    sms_ledger_t ledger_;
    mutable std::mutex mutex_;
    sms_intake_filter_t intake_;  // under mutex_
    backend_listeners_t listeners_;
    std::unique_ptr<QThread> thread_;
    mm_link_t* link_ = nullptr;  // lives on thread_
};
