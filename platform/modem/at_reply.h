#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a modem says, line by line. The reader cuts the byte stream into lines of bounded length;
// the classifier tells final results, unsolicited results and information lines apart by tables.

// Longest line kept. The longest legitimate one is a listing line followed by a PDU of 176 octets
// (352 hex digits); anything longer is garbage and is dropped up to its end.
inline constexpr size_t at_max_line = 1024;

class at_line_reader_t {
public:
    void feed(std::string_view bytes);
    // The next complete line without its terminator, or nothing. When `want_prompt` is set, the
    // send prompt "> " (which has no line end) comes out as the line ">".
    std::optional<std::string> next(bool want_prompt);
    // Bytes waiting that are not yet a whole line.
    bool has_partial() const { return !buffer_.empty(); }
    void clear();
    size_t dropped_lines() const { return dropped_; }

private:
    std::string buffer_;
    size_t line_length_ = 0;  // bytes of the last, unfinished line in the buffer
    bool skipping_ = false;   // inside an overlong line, dropping bytes until its end
    size_t dropped_ = 0;
};

enum class at_status_t {
    ok,
    error,      // plain ERROR and the like
    cme_error,  // +CME ERROR: equipment error
    cms_error,  // +CMS ERROR: message service error
    timeout,    // no final result in time
    link_down,  // the transport failed
};

// How the SMS layer treats a +CMS ERROR code.
enum class cms_class_t {
    retry,    // temporary: network congestion, SIM busy; the same request may succeed later
    refuse,   // the request itself was refused (number barred, bad PDU): do not repeat it
    broken,   // the modem or SIM is not usable for SMS: start it again or give up
    unknown,  // the message may have left (network time-out, unknown error): never repeated automatically
};

cms_class_t classify_cms_error(int code);

enum class at_line_kind_t { final_result, unsolicited, info };

struct at_line_t {
    at_line_kind_t kind = at_line_kind_t::info;
    at_status_t status = at_status_t::ok;  // for final results
    int code = -1;                         // error code of +CME/+CMS ERROR, -1 when none or verbose
    std::string name;                      // unsolicited: its name, e.g. "+CMTI"
    bool pdu_follows = false;              // unsolicited: a PDU line comes next (+CMT, +CDS)
};

// Classifies one line. `command` is the command being run (empty when idle): a line that carries that
// command's own name (+CPMS: while AT+CPMS runs) is its information, even if the same name can also
// come unsolicited (+CREG).
at_line_t classify_at_line(std::string_view line, std::string_view command);
