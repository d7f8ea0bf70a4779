#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/modem/at_engine.h"
#include "platform/modem/backend_listeners.h"
#include "platform/modem/message_listing.h"
#include "platform/modem/modem_setup.h"
#include "platform/modem/sms_backend.h"
#include "platform/modem/wake_event.h"

struct modem_options_t {
    // Opens the link to the modem; throws link_error_t. Called again after the link drops.
    std::function<std::unique_ptr<transport_t>()> connect;
    modem_clock_t* clock = nullptr;     // the engine's clock; the machine's steady clock when null
    std::filesystem::path ledger_file;  // empty: nothing kept on disk
    sms_ledger_t::wall_clock_t wall_clock;
    std::function<void(const std::string&)> warn;  // diagnostics; dropped when empty
    // Which incoming texts are taken from the modem; see set_intake. Empty: none, until set.
    sms_intake_filter_t intake;
    // Longest a caller waits for its send to start (the modem busy with earlier ones, or not yet there).
    std::chrono::milliseconds send_start_wait{std::chrono::seconds(180)};
    // Longest the modem is given to acknowledge a part once it has it; past it the outcome is unknown.
    modem_time_t send_answer_wait = at_engine_t::send_timeout;
};

// The modem as one service: its link, the AT engine, start-up, sending, and the intake of incoming
// messages into the ledger. Every AT command runs on one thread: either the caller's (the single-threaded
// calls, used by tests and simple tools) or the service's own thread after start(), which then owns the
// engine and takes sends from a queue. That thread sleeps in poll() on the link and on a wake-up descriptor, so a
// queued send, a new intake and stop() are taken at once, and only the timed walks and retries set a deadline.
class modem_service_t final : public sms_backend_t {
public:
    static constexpr modem_time_t idle_poll{100};         // a single-threaded owner's turn (ostrevan-modem listen)
    static constexpr modem_time_t walk_interval{30'000};  // when the modem announces nothing
    static constexpr modem_time_t reconnect_delay{2'000};
    static constexpr int send_retries = 2;  // after a temporary refusal
    static constexpr modem_time_t send_retry_pause{3'000};
    // A failed walk of the storage is tried again after this, doubling up to the longest pause.
    static constexpr modem_time_t walk_retry_first{5'000};
    static constexpr modem_time_t walk_retry_longest{300'000};

    explicit modem_service_t(modem_options_t options);
    ~modem_service_t();
    modem_service_t(const modem_service_t&) = delete;
    modem_service_t& operator=(const modem_service_t&) = delete;

    sms_ledger_t& ledger() override { return ledger_; }
    // Called after an intake that brought new messages: on the service's thread once started.
    void on_new_messages(std::function<void()> handler) override;
    // Called with what the user must know about the modem (it does not answer, its SIM waits for a PIN, no
    // service centre, not registered, its storage is full), in the user's words, each once a run. Notices
    // found before a handler is set are handed to it when it is set. Called on the service's thread.
    void on_notice(std::function<void(const std::u16string&)> handler) override;
    // Sets which incoming texts are recorded and which of them leave the modem. Until a filter is set
    // nothing is taken, so that the modem keeps every message nobody has claimed. Any thread; the storage
    // is walked again soon (at once in single-threaded use).
    void set_intake(sms_intake_filter_t intake) override;

    // ---- single-threaded use ----
    // Opens the link, starts the modem and takes in what is stored. False (with a warning) on failure.
    bool connect();
    bool connected() const;  // any thread
    const modem_setup_t& setup() const { return setup_; }
    // Why the modem cannot serve, or will not send yet, in the user's words; empty when nothing is known
    // against it. Set by connect().
    std::u16string problem() const;
    // Lists the modem's storage, takes every PDU into the ledger, saves it, then deletes the modem's copies.
    bool walk();
    // Sends every part. With `control`, a part is written only while the request has not been withdrawn.
    send_result_t send_now(const sms_outgoing_t& message, send_control_t* control = nullptr);
    // Reads unsolicited results for `duration`, then handles what they announced.
    void pump(modem_time_t duration);

    // ---- threaded use ----
    void start();
    void stop();
    // Queues the send for the service's thread and waits for its outcome. A send that has not started
    // within options.send_start_wait, or that `control` withdraws before it starts, is taken off the queue and
    // never starts; one that has started is waited for to its end (every command it runs has its own
    // deadline), so the answer is what really happened. A withdrawal after the start stops the parts not yet
    // written.
    send_result_t send(const sms_outgoing_t& message, std::shared_ptr<send_control_t> control = nullptr) override;
    // Withdraws a request that `send` is running or waiting with (any thread). True when nothing of it was
    // written, and nothing ever will be.
    bool withdraw(send_control_t& control) override;
    size_t pending_sends() const;  // queued, not started
    bool stopping() const;         // stop() has begun

private:
    void warn(const std::string& text);
    void on_unsolicited(const at_urc_t& urc);
    void handle_announced();
    // Lists one storage (empty: the one chosen at start, else the one AT+CPMS has just selected) and takes in.
    bool walk_storage(const std::string& storage, std::set<std::string>& listed);
    std::string direct_place();
    void check_storage_fill();
    // The storage in use is full: moves reading and receiving to another one with room, or tells the user.
    void leave_full_storage();
    void tell(const std::u16string& notice);
    // Puts the ledger on the disk; false (with a warning) when it cannot be written.
    bool save_ledger();
    void notify(size_t fresh);
    // When the next walk is due without being asked for (a retry, or a modem that announces nothing); never if none.
    modem_time_t next_walk_due() const;
    void drop_link();
    void loop();

    modem_options_t options_;
    std::unique_ptr<modem_clock_t> own_clock_;
    modem_clock_t& clock_;
    sms_ledger_t ledger_;
    // Set and reset only by the thread that runs the modem, under link_mutex_; that thread reads them without it.
    mutable std::mutex link_mutex_;
    std::unique_ptr<transport_t> transport_;
    std::unique_ptr<at_engine_t> engine_;
    modem_setup_t setup_;
    std::u16string problem_;  // under handler_mutex_
    sms_intake_filter_t intake() const;
    std::atomic<bool> walk_wanted_{false};
    modem_time_t walk_retry_pause_{0};  // zero while the last walk went through
    mutable std::mutex intake_mutex_;
    std::set<std::string> other_storages_;  // named by +CMTI, walked after the main one
    std::vector<std::string> direct_pdus_;  // from +CMT, not yet taken
    uint64_t direct_count_ = 0;
    bool storage_was_full_ = false;
    bool storage_full_found_ = false;
    bool first_attempt_ = true;  // no connect has been tried yet  // by the last check; acted on once the walk is over
    modem_time_t last_walk_{0};
    uint8_t next_reference_ = 0;

    mutable std::mutex handler_mutex_;  // for problem_
    backend_listeners_t listeners_;

    mutable std::mutex queue_mutex_;
    std::condition_variable queue_changed_;
    struct send_job_t {
        sms_outgoing_t message;
        std::shared_ptr<send_control_t> control;
        std::promise<send_result_t> outcome;
        bool started = false;  // under queue_mutex_; from here on the caller waits for the end
    };
    std::deque<std::shared_ptr<send_job_t>> queue_;
    // Ends a queued job that must not send: "not sent" for its caller.
    static void fail_unsent(send_job_t& job, const std::string& why);
    bool stopping_ = false;
    wake_event_t wake_;  // signalled by whatever the service's thread must look at: a send, an intake, a stop
    std::thread thread_;
};
