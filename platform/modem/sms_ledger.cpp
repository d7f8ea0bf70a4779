#include "platform/modem/sms_ledger.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "core/atomic_file.h"
#include "core/atomic_writer.h"
#include "core/text_error.h"
#include "platform/pdu/hex.h"
#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_reassembler.h"

namespace {

constexpr char signature[] = "ostrevan-sms-inbox 1";
constexpr size_t max_line = 1 << 20;

// A text field of the file: "-" and the text's UTF-16 units in hex (the dash keeps an empty text a field).
std::string text_field(std::u16string_view text) {
    return "-" + units_to_hex(text);
}

std::optional<std::u16string> text_from_field(std::string_view field) {
    if (field.empty() || field[0] != '-') return std::nullopt;
    return units_from_hex(field.substr(1));
}

std::optional<int64_t> whole_number(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A waiting part as the file keeps it: a delivered PDU that belongs to a concatenated message.
bool is_waiting_part(std::string_view hex) {
    try {
        const auto pdu = decode_pdu_hex(hex);
        const auto* deliver = std::get_if<sms_deliver_t>(&pdu);
        return deliver && deliver->user_data.concat;
    } catch (const text_error_t&) {
        return false;
    }
}

std::string fnv_hex(std::string_view data) {
    uint64_t h = 1469598103934665603ull;
    for (const char c : data) {
        h ^= uint8_t(c >= 'a' && c <= 'f' ? c - 32 : c);
        h *= 1099511628211ull;
    }
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
}

}  // namespace

sms_ledger_t::sms_ledger_t(std::filesystem::path file, wall_clock_t clock)
    : file_(std::move(file)), clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
    load();
}

std::filesystem::path sms_ledger_t::default_file() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    const std::filesystem::path base =
        state && *state ? std::filesystem::path(state) : std::filesystem::path(home ? home : ".") / ".local/state";
    return base / "ostrevan" / "sms-inbox.ledger";
}

std::string sms_ledger_t::key_of(std::string_view pdu_hex, std::string_view place) {
    return fnv_hex(std::string(place) + ":" + std::string(pdu_hex));
}

bool sms_ledger_t::taken(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return std::find(taken_.begin(), taken_.end(), key) != taken_.end();
}

bool sms_ledger_t::releasable(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return std::find(taken_.begin(), taken_.end(), key) != taken_.end() && !kept_.contains(key);
}

void sms_ledger_t::note_taken(const std::string& key, bool released) {
    if (std::find(taken_.begin(), taken_.end(), key) == taken_.end()) {
        taken_.push_back(key);
        if (taken_.size() > max_taken) {
            kept_.erase(taken_.front());
            taken_.erase(taken_.begin());
        }
    }
    if (released)
        kept_.erase(key);
    else
        kept_.insert(key);
}

namespace {

// What a part says, wherever it lies: a part delivered again has the same fingerprint, its service-centre
// time included, while a later message that reuses the reference and repeats a part's text does not.
std::string part_fingerprint(const sms_deliver_t& d) {
    const auto& c = *d.user_data.concat;
    std::string source = std::to_string(sms_timestamp_seconds(d.sc_timestamp)) + ":" +
                         std::to_string(d.originator.type) + ":" + std::to_string(c.reference) + ":" +
                         std::to_string(c.wide_reference) + ":" + std::to_string(c.count) + ":" +
                         std::to_string(c.sequence) + ":";
    for (const char16_t u : d.originator.value + u'\n' + d.user_data.text) source += std::to_string(u) + ",";
    return fnv_hex(source);
}

// What a single message says: its sender, service-centre time and text, wherever and however it was delivered.
std::string single_fingerprint(const sms_deliver_t& d) {
    std::string source = "single:" + std::to_string(sms_timestamp_seconds(d.sc_timestamp)) + ":" +
                         std::to_string(d.originator.type) + ":";
    for (const char16_t u : d.originator.value + u'\n' + d.user_data.text) source += std::to_string(u) + ",";
    return fnv_hex(source);
}

}  // namespace

bool sms_ledger_t::take(std::string_view pdu_hex, const std::string& key, const sms_intake_filter_t& intake) {
    std::lock_guard lock(mutex_);
    if (std::find(taken_.begin(), taken_.end(), key) != taken_.end()) return true;
    sms_pdu_t pdu;
    try {
        pdu = decode_pdu_hex(pdu_hex);
    } catch (const text_error_t&) {
        return false;
    }
    const auto* deliver = std::get_if<sms_deliver_t>(&pdu);
    if (!deliver) {
        // Status reports and our own stored submits carry nothing for the user: seen, and left alone.
        note_taken(key, false);
        return true;
    }
    const auto& concat = deliver->user_data.concat;
    if (concat && concat->count > 1) {
        const std::string fingerprint = part_fingerprint(*deliver);
        for (const auto& j : joined_) {
            if (j.fingerprint != fingerprint) continue;
            note_taken(key, j.released);  // delivered again after its message was joined
            return true;
        }
        if (parts_.size() >= max_parts) return false;  // stays in the modem until the spool drains
        parts_.push_back({key, clock_(), std::string(pdu_hex)});
        note_taken(key, false);  // the modem keeps it until its message is joined and taken
        return true;
    }
    // The network may deliver a message twice, into another place or directly: the same sender, service-centre
    // time and text are the same message.
    const std::string fingerprint = single_fingerprint(*deliver);
    for (const auto& j : joined_) {
        if (j.fingerprint != fingerprint) continue;
        note_taken(key, j.released);
        return true;
    }
    // A text left alone is not noted, so that it is judged again by a later filter.
    const sms_intake_t verdict = intake ? intake(deliver->user_data.text) : sms_intake_t::leave;
    if (verdict == sms_intake_t::leave) return true;
    add_message({key, deliver->originator.value, deliver->user_data.text, false, true});
    note_taken(key, verdict == sms_intake_t::take);
    joined_.push_back({fingerprint, clock_(), verdict == sms_intake_t::take});
    if (joined_.size() > max_joined) joined_.erase(joined_.begin(), joined_.end() - max_joined);
    return true;
}

std::string sms_ledger_t::key_of_whole(std::u16string_view sender, std::string_view timestamp,
                                       std::u16string_view text) {
    std::string source = "whole:" + std::string(timestamp) + ":";
    for (const char16_t u : std::u16string(sender) + u'\n' + std::u16string(text)) source += std::to_string(u) + ",";
    return fnv_hex(source);
}

void sms_ledger_t::take_whole(const std::string& key, const std::u16string& sender, const std::u16string& text,
                              const sms_intake_filter_t& intake) {
    std::lock_guard lock(mutex_);
    if (std::find(taken_.begin(), taken_.end(), key) != taken_.end()) return;
    for (const auto& j : joined_) {
        if (j.fingerprint != key) continue;
        note_taken(key, j.released);
        return;
    }
    // A text left alone is not noted, so that a later filter judges it again.
    const sms_intake_t verdict = intake ? intake(text) : sms_intake_t::leave;
    if (verdict == sms_intake_t::leave) return;
    add_message({key, sender, text, false, true});
    note_taken(key, verdict == sms_intake_t::take);
    joined_.push_back({key, clock_(), verdict == sms_intake_t::take});
    if (joined_.size() > max_joined) joined_.erase(joined_.begin(), joined_.end() - max_joined);
}

void sms_ledger_t::add_message(inbox_message_t message) {
    for (const auto& m : messages_)
        if (m.id == message.id) return;
    messages_.push_back(std::move(message));
    ++fresh_;
    // Forget the oldest read messages first; unread ones only past their own bound.
    for (auto it = messages_.begin(); messages_.size() > max_messages && it != messages_.end();)
        it = it->read ? messages_.erase(it) : it + 1;
    if (messages_.size() > max_unread) messages_.erase(messages_.begin(), messages_.end() - max_unread);
}

size_t sms_ledger_t::settle(const sms_intake_filter_t& intake) {
    std::lock_guard lock(mutex_);
    const int64_t now = clock_();
    std::erase_if(joined_, [&](const joined_t& j) { return j.at + part_timeout.count() <= now; });
    // The parts replayed in order of arrival, each under its own index as tag; what comes out joined names
    // the parts it was made of.
    std::vector<size_t> order(parts_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return parts_[a].arrival < parts_[b].arrival; });
    int64_t at = 0;
    sms_reassembler_t reassembler(part_timeout,
                                  [&at] { return std::chrono::system_clock::time_point(std::chrono::seconds(at)); });
    std::vector<sms_deliver_t> decoded(parts_.size());
    std::vector<bool> consumed(parts_.size(), false);
    std::vector<std::string> left_alone;  // keys of parts whose message the intake left: judged again later
    auto hand_out = [&](const std::vector<sms_text_t>& texts) {
        for (const auto& t : texts) {
            std::string id_source;
            for (const auto& tag : t.tags) id_source += parts_[std::stoul(tag)].key;
            const sms_intake_t verdict = intake ? intake(t.text) : sms_intake_t::leave;
            if (verdict != sms_intake_t::leave)
                add_message({fnv_hex(id_source), t.sender.value, t.text, false, t.complete});
            // A part that came again before the join goes with its message, never making one of its own.
            std::vector<std::string> tags = t.tags;
            tags.insert(tags.end(), t.repeat_tags.begin(), t.repeat_tags.end());
            for (const auto& tag : tags) {
                const size_t i = std::stoul(tag);
                consumed[i] = true;
                if (verdict == sms_intake_t::leave) {
                    // Not ours (or nobody has said yet): the modem keeps the parts, and a later walk judges
                    // them again, so that a filter set later still sees the message whole.
                    left_alone.push_back(parts_[i].key);
                    continue;
                }
                note_taken(parts_[i].key, verdict == sms_intake_t::take);
                joined_.push_back({part_fingerprint(decoded[i]), now, verdict == sms_intake_t::take});
            }
        }
    };
    for (const size_t i : order) {
        decoded[i] = std::get<sms_deliver_t>(decode_pdu_hex(parts_[i].hex));
        // A part of a message joined already (in this settle too: the network delivered the whole message
        // twice) is a repeat, and goes with it.
        const std::string fingerprint = part_fingerprint(decoded[i]);
        const auto joined = std::find_if(joined_.begin(), joined_.end(),
                                         [&](const joined_t& j) { return j.fingerprint == fingerprint; });
        if (joined != joined_.end()) {
            consumed[i] = true;
            note_taken(parts_[i].key, joined->released);
            continue;
        }
        at = parts_[i].arrival;
        hand_out(reassembler.add(decoded[i], std::to_string(i)));
    }
    at = now;
    hand_out(reassembler.expire());
    if (joined_.size() > max_joined) joined_.erase(joined_.begin(), joined_.end() - max_joined);
    std::vector<part_t> kept;
    for (size_t i = 0; i < parts_.size(); ++i)
        if (!consumed[i]) kept.push_back(std::move(parts_[i]));
    parts_ = std::move(kept);
    for (const auto& key : left_alone) {
        std::erase(taken_, key);
        kept_.erase(key);
    }
    return std::exchange(fresh_, 0);
}

void sms_ledger_t::forget_taken_except(const std::set<std::string>& listed_keys) {
    std::lock_guard lock(mutex_);
    std::erase_if(taken_, [&](const std::string& k) { return !listed_keys.contains(k); });
    std::erase_if(kept_, [&](const std::string& k) { return !listed_keys.contains(k); });
}

std::vector<inbox_message_t> sms_ledger_t::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

bool sms_ledger_t::set_read(const std::string& id) {
    std::lock_guard lock(mutex_);
    for (auto& m : messages_) {
        if (m.id != id) continue;
        if (m.read) return true;
        m.read = true;
        if (!save_locked()) return true;
        m.read = false;
        return false;
    }
    return false;
}

std::optional<std::string> sms_ledger_t::save() {
    std::lock_guard lock(mutex_);
    return save_locked();
}

std::optional<std::string> sms_ledger_t::save_locked() {
    if (file_.empty()) return std::nullopt;
    std::string out = std::string(signature) + "\n";
    for (const auto& k : taken_) out += (kept_.contains(k) ? "K " : "T ") + k + "\n";
    for (const auto& j : joined_)
        out += "J " + j.fingerprint + " " + std::to_string(j.at) + " " + (j.released ? "r" : "k") + "\n";
    for (const auto& p : parts_) out += "P " + p.key + " " + std::to_string(p.arrival) + " " + p.hex + "\n";
    for (const auto& m : messages_)
        out += "M " + m.id + " " + (m.read ? "r" : "u") + (m.complete ? "c" : "i") + " " + text_field(m.sender) + " " +
               text_field(m.text) + "\n";
    // Every walk of the modem's storage saves; what is on disk already is not written (and synced) again.
    if (out == written_) return std::nullopt;
    // The rename must reach the disk before the modem's copy is deleted, which the atomic write sees to.
    std::filesystem::path failed;
    if (!write_file_atomically(file_, out, &failed)) return "cannot write " + failed.string();
    written_ = std::move(out);
    return std::nullopt;
}

void sms_ledger_t::load() {
    if (file_.empty()) return;
    // A write cut short by a crash left its temporary file beside the ledger.
    remove_writer_leftovers(posix_file_ops(), file_.parent_path().empty() ? "." : file_.parent_path().string());
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;
    std::string line;
    size_t number = 0;
    std::string fault;
    while (fault.empty() && std::getline(in, line)) {
        ++number;
        if (line.size() > max_line) {
            fault = "line too long";
            break;
        }
        if (number == 1) {
            if (line != signature) fault = "not a message ledger";
            continue;
        }
        std::istringstream fields(line);
        std::string kind, a, b, c, d;
        fields >> kind >> a;
        if ((kind == "T" || kind == "K") && a.size() == 16 && taken_.size() < max_taken) {
            taken_.push_back(a);
            if (kind == "K") kept_.insert(a);
        } else if (kind == "J" && (fields >> b >> c) && a.size() == 16 && (c == "r" || c == "k") &&
                   joined_.size() < max_joined) {
            const auto at = whole_number(b);
            if (at)
                joined_.push_back({a, *at, c == "r"});
            else
                fault = "bad joined part";
        } else if (kind == "P" && (fields >> b >> c) && a.size() == 16 && parts_.size() < max_parts) {
            const auto arrival = whole_number(b);
            if (arrival && is_waiting_part(c))
                parts_.push_back({a, *arrival, c});
            else
                fault = "bad part";
        } else if (kind == "M" && (fields >> b >> c >> d) && b.size() == 2 && messages_.size() < max_unread) {
            auto sender = text_from_field(c);
            auto text = text_from_field(d);
            if (sender && text)
                messages_.push_back({a, std::move(*sender), std::move(*text), b[0] == 'r', b[1] == 'c'});
            else
                fault = "bad message";
        } else {
            fault = "bad record";
        }
    }
    if (fault.empty()) return;
    taken_.clear();
    kept_.clear();
    parts_.clear();
    joined_.clear();
    messages_.clear();
    in.close();
    const std::filesystem::path aside = set_aside_damaged(file_);
    load_warning_ = "message ledger " + file_.string() + " is damaged (" + fault + " at line " +
                    std::to_string(number) + "); set aside as " + aside.string() + ", starting empty";
}
