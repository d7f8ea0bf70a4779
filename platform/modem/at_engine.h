#pragma once

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/modem/at_reply.h"
#include "platform/modem/modem_clock.h"
#include "platform/modem/transport.h"

// An unsolicited result: "+CMTI: "SM",3" is name "+CMTI", args "\"SM\",3"; +CMT and +CDS carry the PDU
// line that follows them.
struct at_urc_t {
    std::string name;
    std::string args;
    std::string pdu;
};

struct at_response_t {
    at_status_t status = at_status_t::ok;
    int code = -1;                   // +CME/+CMS ERROR code, -1 when none or not numeric
    std::vector<std::string> lines;  // information lines, in order
    // Commands with data (AT+CMGS): whether the data went to the modem, and whether the caller withdrew it at
    // the prompt. Nothing can have left while data_written is false.
    bool data_written = false;
    bool withdrawn = false;

    bool ok() const { return status == at_status_t::ok; }
};

// One AT command in flight at a time over a transport. Synchronous and single-threaded: the caller
// (the modem's own thread) runs one command to its final result, while every unsolicited result that
// arrives meanwhile, also between the send prompt and the final result, goes to the handler. The
// handler must not run commands itself; it only takes note.
//
// Answers never drift from their commands: after a command that timed out (or ended oddly), the next command
// is written only once the modem has answered a marker command, recognised by its own information line, so
// that every late answer of the old command has been drained; while the modem does not answer the marker, no
// command is written and each one ends as a time-out.
class at_engine_t {
public:
    static constexpr modem_time_t default_timeout{10'000};
    static constexpr modem_time_t send_timeout{60'000};  // network round trip of AT+CMGS
    static constexpr size_t max_info_lines = 1024;       // a full storage listing is two lines a message
    // Longest a resynchronisation waits for the marker's answer while late answers keep coming.
    static constexpr modem_time_t resync_limit{30'000};

    at_engine_t(transport_t& transport, modem_clock_t& clock);

    void on_unsolicited(std::function<void(const at_urc_t&)> handler) { handler_ = std::move(handler); }

    // Runs `command` ("AT+CMGF=0", without the carriage return).
    at_response_t run(const std::string& command, modem_time_t timeout = default_timeout);
    // Runs a command that answers with the "> " prompt (AT+CMGS), then sends `data` ended by Ctrl-Z. When the
    // prompt comes, `may_write` (when given) decides at that moment: false cancels the prompt instead, and the
    // data never reaches the modem. A final result before the prompt ends the command with nothing written.
    at_response_t run_with_data(const std::string& command, const std::string& data,
                                modem_time_t timeout = send_timeout, const std::function<bool()>& may_write = {});
    // Reads unsolicited results for `duration` while no command runs.
    void poll(modem_time_t duration);
    // While no command runs: returns once unsolicited results have been handed on, `wake_fd` is readable, the link
    // is gone or the deadline (which may be modem_never) passes, whichever is first.
    void wait(modem_time_t deadline, int wake_fd);

    bool link_up() const { return link_up_; }
    // Lines that fitted nothing and were dropped: noise on the line, or overlong lines.
    size_t garbage_lines() const { return garbage_ + reader_.dropped_lines(); }

private:
    at_response_t exchange(const std::string& command, const std::string* data, modem_time_t timeout,
                           const std::function<bool()>* may_write);
    // After a time-out the modem may still be busy with the old command, or sit at a send prompt. Cancels the
    // prompt, writes a marker command and drains every answer until the marker's own: true once it came.
    bool resync();
    void drain(modem_time_t quiet, modem_time_t limit);
    // Hands on the unsolicited results among the lines read so far, counts the rest as garbage; how many it handed.
    size_t handle_idle_lines();
    // Reads more bytes; false when the deadline passed with nothing. Marks the link down on failure.
    bool fill(modem_time_t deadline);
    void handle_unsolicited(const std::string& line, const at_line_t& kind);
    // The line after +CMT/+CDS is its PDU: completes that result; false when none waits for one.
    bool took_pdu_line(const std::string& line);
    // Writes; false (and the link marked down) when the transport failed.
    bool send(const std::string& bytes);

    transport_t& transport_;
    modem_clock_t& clock_;
    at_line_reader_t reader_;
    std::function<void(const at_urc_t&)> handler_;
    std::optional<at_urc_t> awaiting_pdu_;  // +CMT seen, its PDU line not yet
    std::atomic<bool> link_up_ = true;      // read by the modem service from any thread
    bool needs_resync_ = false;
    // Names of commands ("+CMGF") whose answers may still come: a marker of that name would prove nothing.
    std::set<std::string> stale_;
    size_t garbage_ = 0;
};
