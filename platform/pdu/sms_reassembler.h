#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/pdu/sms_types.h"

// One incoming text as the system sees it: a single SMS, or the parts of a concatenated one joined.
struct sms_text_t {
    sms_address_t sender;
    std::u16string text;           // the parts' texts in order; a missing part reads as sms_reassembler_t::missing_mark
    sms_timestamp_t sc_timestamp;  // of the first part that arrived
    std::optional<sms_ports_t> ports;
    bool complete = true;  // false for a set handed out after the time-out with parts missing
};

// Joins the parts of concatenated messages. Parts are grouped by sender, reference, reference width and
// part count, so parts of different senders (or of two messages that happen to share a reference) never
// mix; they may come in any order, and a repeated part replaces nothing. Sets waiting for parts are kept in
// a file, written crash-safely after every change, so a restart loses none; a set still incomplete after
// the time-out is handed out as incomplete rather than dropped. add and expire throw text_error_t when the
// file cannot be written; nothing is then changed or handed out, so the caller can offer the message again.
class sms_reassembler_t {
public:
    using clock_t = std::function<std::chrono::system_clock::time_point()>;

    static constexpr char16_t missing_mark[] = u"[…]";
    static constexpr size_t max_pending_sets = 64;  // beyond this the oldest set is handed out incomplete

    // `state_file` empty keeps nothing on disk; its folder is created when missing. A missing file is an empty state; a
    // damaged one is set aside as `state_file` + ".bad" and the reassembler starts empty (load_error() says why).
    sms_reassembler_t(std::filesystem::path state_file, std::chrono::seconds timeout, clock_t clock = nullptr);

    // Takes one received message. A message that is not a part (or whose concatenation element is unusable)
    // comes straight back; a part comes back joined with its set once the set is complete. Status reports
    // and submits carry no text for the user and are not taken here. Also hands out expired sets, so a
    // caller that only ever calls add still sees them.
    std::vector<sms_text_t> add(const sms_deliver_t& message);

    // Sets whose first part arrived at least `timeout` ago, joined as far as they go, marked incomplete.
    std::vector<sms_text_t> expire();

    size_t pending_sets() const { return sets_.size(); }
    const std::u16string& load_error() const { return load_error_; }

private:
    struct key_t {
        std::u16string sender;
        uint8_t sender_type = 0;
        uint16_t reference = 0;
        bool wide_reference = false;
        uint8_t count = 0;
        auto operator<=>(const key_t&) const = default;
    };
    struct set_t {
        int64_t first_seen = 0;  // seconds since the epoch
        sms_timestamp_t sc_timestamp;
        std::optional<sms_ports_t> ports;
        std::map<uint8_t, std::u16string> parts;  // by sequence number
    };

    sms_text_t join(const key_t& key, const set_t& set) const;
    void load();
    void save() const;
    void save_or_undo(std::map<key_t, set_t> before);
    bool take_expired(std::vector<sms_text_t>& out);
    int64_t now() const;

    std::filesystem::path state_file_;
    std::chrono::seconds timeout_;
    clock_t clock_;
    std::map<key_t, set_t> sets_;
    std::u16string load_error_;
};
