#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/pdu/sms_types.h"

// One incoming text as the system sees it: a single SMS, or the parts of a concatenated one joined.
struct sms_text_t {
    sms_address_t sender;
    std::u16string text;           // the parts' texts in order; a missing part reads as sms_reassembler_t::missing_mark
    sms_timestamp_t sc_timestamp;  // of the first part that arrived
    std::optional<sms_ports_t> ports;
    bool complete = true;           // false for a set handed out after the time-out with parts missing
    std::vector<std::string> tags;  // the tags given with the parts it was made of, in order of sequence
    // The tags of parts that came again before the set was joined: consumed with it, never a message of their own.
    std::vector<std::string> repeat_tags;
};

// Joins the parts of concatenated messages, in memory. Parts are grouped by sender, reference, reference
// width and part count, so parts of different senders never mix; they may come in any order, and a
// repeated part replaces nothing and goes with its set. A reference is only 8 or 16 bits and gets reused: a
// part whose place in every open set of its group is taken by another text, or whose service-centre time is
// further than a short window from every open set's, starts a set of its own, and a part joins the open set
// whose time is nearest to its own. A part that two open sets could take equally well cannot be told apart:
// it is kept in a set of its own that nothing else joins, so two messages that share a reference are shown
// incomplete rather than mixed. A set still incomplete after the time-out is handed out marked incomplete
// rather than dropped.
class sms_reassembler_t {
public:
    using clock_t = std::function<std::chrono::system_clock::time_point()>;

    static constexpr char16_t missing_mark[] = u"[…]";
    static constexpr size_t max_pending_sets = 64;  // beyond this the oldest set is handed out incomplete
    // Parts of one message reach the service centre together, within seconds; parts further apart than this
    // are other messages that reuse the reference.
    static constexpr std::chrono::seconds max_part_spread{60};

    explicit sms_reassembler_t(std::chrono::seconds timeout, clock_t clock = nullptr);

    // Takes one received message. A message that is not a part (or whose concatenation element is unusable)
    // comes straight back; a part comes back joined with its set once the set is complete. `tag` comes back
    // in the joined text's tags. Also hands out expired sets, so a caller that only ever calls add sees them.
    std::vector<sms_text_t> add(const sms_deliver_t& message, const std::string& tag = {});

    // Sets whose first part arrived at least `timeout` ago, joined as far as they go, marked incomplete.
    std::vector<sms_text_t> expire();

    size_t pending_sets() const { return sets_.size(); }

private:
    struct key_t {
        std::u16string sender;
        uint8_t sender_type = 0;
        uint16_t reference = 0;
        bool wide_reference = false;
        uint8_t count = 0;
        auto operator<=>(const key_t&) const = default;
    };
    struct part_t {
        std::u16string text;
        std::string tag;
    };
    struct set_t {
        int64_t first_seen = 0;  // seconds since the epoch
        sms_timestamp_t sc_timestamp;
        std::optional<sms_ports_t> ports;
        std::map<uint8_t, part_t> parts;   // by sequence number
        std::vector<std::string> repeats;  // tags of parts that came again
        bool apart = false;                // holds a part that could not be told apart: nothing joins it
    };
    using sets_t = std::multimap<key_t, set_t>;

    sms_text_t join(const key_t& key, const set_t& set) const;
    sets_t::iterator place(const key_t& key, const sms_deliver_t& message, const std::string& tag, bool& repeated);
    void take_expired(std::vector<sms_text_t>& out);
    int64_t now() const;

    std::chrono::seconds timeout_;
    clock_t clock_;
    sets_t sets_;
};

// Seconds since the epoch of a service-centre time stamp, its zone taken off; for comparing stamps.
int64_t sms_timestamp_seconds(const sms_timestamp_t& t);
