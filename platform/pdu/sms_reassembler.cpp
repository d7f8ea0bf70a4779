#include "platform/pdu/sms_reassembler.h"

#include <algorithm>
#include <cstdlib>

int64_t sms_timestamp_seconds(const sms_timestamp_t& t) {
    // Days from the civil date (proleptic Gregorian); any field values give some number, never a fault.
    const int64_t y = int64_t(t.year) - (t.month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t m = t.month;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = era * 146097 + doe - 719468;
    return days * 86400 + int64_t(t.hour) * 3600 + int64_t(t.minute) * 60 + t.second -
           int64_t(t.zone_quarters) * 15 * 60;
}

sms_reassembler_t::sms_reassembler_t(std::chrono::seconds timeout, clock_t clock)
    : timeout_(timeout), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
}

int64_t sms_reassembler_t::now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(clock_().time_since_epoch()).count();
}

// The open set the part belongs to, a new one when none fits, or end() for a repeat of a part held (its tag
// then goes with the set that holds it).
sms_reassembler_t::sets_t::iterator sms_reassembler_t::place(const key_t& key, const sms_deliver_t& message,
                                                             const std::string& tag, bool& repeated) {
    const auto& concat = *message.user_data.concat;
    const int64_t stamp = sms_timestamp_seconds(message.sc_timestamp);
    auto best = sets_.end();
    int64_t best_distance = 0;
    bool tie = false;
    const auto [first, last] = sets_.equal_range(key);
    for (auto it = first; it != last; ++it) {
        const int64_t distance = std::abs(sms_timestamp_seconds(it->second.sc_timestamp) - stamp);
        if (distance > max_part_spread.count()) continue;  // another message's set
        const auto held = it->second.parts.find(concat.sequence);
        if (held != it->second.parts.end()) {
            if (held->second.text == message.user_data.text) {
                repeated = true;
                if (it->second.repeats.size() < key.count) it->second.repeats.push_back(tag);
                return sets_.end();
            }
            continue;  // that place is another message's
        }
        if (it->second.apart) continue;
        if (best == sets_.end() || distance < best_distance) {
            best = it;
            best_distance = distance;
            tie = false;
        } else if (distance == best_distance) {
            tie = true;
        }
    }
    if (best != sets_.end() && !tie) return best;
    set_t set;
    set.first_seen = now();
    set.sc_timestamp = message.sc_timestamp;
    set.apart = tie;
    return sets_.emplace(key, std::move(set));
}

std::vector<sms_text_t> sms_reassembler_t::add(const sms_deliver_t& message, const std::string& tag) {
    const auto& ud = message.user_data;
    std::vector<sms_text_t> out;
    if (!ud.concat || ud.concat->count == 1) {
        out.push_back({message.originator, ud.text, message.sc_timestamp, ud.ports, true, {tag}, {}});
    } else {
        const key_t key{message.originator.value, message.originator.type, ud.concat->reference,
                        ud.concat->wide_reference, ud.concat->count};
        bool repeated = false;
        const auto it = place(key, message, tag, repeated);
        if (!repeated) {
            set_t& set = it->second;
            if (ud.concat->sequence == 1 || !set.ports) set.ports = ud.ports;
            set.parts.emplace(ud.concat->sequence, part_t{ud.text, tag});
            if (set.parts.size() == key.count) {
                out.push_back(join(key, set));
                sets_.erase(it);
            }
            while (sets_.size() > max_pending_sets) {
                const auto oldest = std::min_element(sets_.begin(), sets_.end(), [](const auto& a, const auto& b) {
                    return a.second.first_seen < b.second.first_seen;
                });
                out.push_back(join(oldest->first, oldest->second));
                sets_.erase(oldest);
            }
        }
    }
    take_expired(out);
    return out;
}

std::vector<sms_text_t> sms_reassembler_t::expire() {
    std::vector<sms_text_t> out;
    take_expired(out);
    return out;
}

void sms_reassembler_t::take_expired(std::vector<sms_text_t>& out) {
    const int64_t limit = now() - timeout_.count();
    for (auto it = sets_.begin(); it != sets_.end();) {
        if (it->second.first_seen <= limit) {
            out.push_back(join(it->first, it->second));
            it = sets_.erase(it);
        } else {
            ++it;
        }
    }
}

sms_text_t sms_reassembler_t::join(const key_t& key, const set_t& set) const {
    sms_text_t text{
        {key.sender_type, key.sender}, {}, set.sc_timestamp, set.ports, set.parts.size() == key.count, {}, {}};
    for (unsigned sequence = 1; sequence <= key.count; ++sequence) {
        const auto part = set.parts.find(static_cast<uint8_t>(sequence));
        if (part == set.parts.end()) {
            text.text += missing_mark;
            continue;
        }
        text.text += part->second.text;
        text.tags.push_back(part->second.tag);
    }
    text.repeat_tags = set.repeats;
    return text;
}
