#include "platform/pdu/sms_reassembler.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "core/atomic_file.h"
#include "core/text_error.h"
#include "core/u16.h"
#include "platform/pdu/hex.h"
#include "resources/texts.h"

namespace {

constexpr char file_signature[] = "ostrevan-sms-parts 1";
// Far above what max_pending_sets full sets take; a bigger file is not ours.
constexpr uintmax_t max_file_size = 16 << 20;

// UTF-16 units as hex, four digits each, so that a lone surrogate of a split pair survives the file.
std::string units_hex(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t u : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u)});
    return bytes.empty() ? "-" : to_hex(bytes);
}

std::optional<std::u16string> units_from_hex(const std::string& hex) {
    if (hex == "-") return std::u16string();
    if (hex.size() % 4 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    try {
        bytes = from_hex(hex);
    } catch (const text_error_t&) {
        return std::nullopt;
    }
    std::u16string text;
    for (size_t i = 0; i < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]);
    return text;
}

}  // namespace

sms_reassembler_t::sms_reassembler_t(std::filesystem::path state_file, std::chrono::seconds timeout, clock_t clock)
    : state_file_(std::move(state_file)), timeout_(timeout), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return std::chrono::system_clock::now(); };
    load();
}

int64_t sms_reassembler_t::now() const {
    return std::chrono::duration_cast<std::chrono::seconds>(clock_().time_since_epoch()).count();
}

std::vector<sms_text_t> sms_reassembler_t::add(const sms_deliver_t& message) {
    const auto& ud = message.user_data;
    std::vector<sms_text_t> out;
    auto before = sets_;
    bool changed = false;
    if (!ud.concat || ud.concat->count == 1) {
        out.push_back({message.originator, ud.text, message.sc_timestamp, ud.ports, true});
    } else {
        const key_t key{message.originator.value, message.originator.type, ud.concat->reference,
                        ud.concat->wide_reference, ud.concat->count};
        auto [it, fresh] = sets_.try_emplace(key);
        set_t& set = it->second;
        if (fresh) {
            set.first_seen = now();
            set.sc_timestamp = message.sc_timestamp;
        }
        if (ud.concat->sequence == 1 || !set.ports) set.ports = ud.ports;
        set.parts.try_emplace(ud.concat->sequence, ud.text);
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
        changed = true;
    }
    if (take_expired(out) || changed) save_or_undo(std::move(before));
    return out;
}

std::vector<sms_text_t> sms_reassembler_t::expire() {
    std::vector<sms_text_t> out;
    auto before = sets_;
    if (take_expired(out)) save_or_undo(std::move(before));
    return out;
}

bool sms_reassembler_t::take_expired(std::vector<sms_text_t>& out) {
    const int64_t limit = now() - timeout_.count();
    bool taken = false;
    for (auto it = sets_.begin(); it != sets_.end();) {
        if (it->second.first_seen <= limit) {
            out.push_back(join(it->first, it->second));
            it = sets_.erase(it);
            taken = true;
        } else {
            ++it;
        }
    }
    return taken;
}

sms_text_t sms_reassembler_t::join(const key_t& key, const set_t& set) const {
    sms_text_t text{{key.sender_type, key.sender}, {}, set.sc_timestamp, set.ports, set.parts.size() == key.count};
    for (unsigned sequence = 1; sequence <= key.count; ++sequence) {
        const auto part = set.parts.find(static_cast<uint8_t>(sequence));
        text.text += part == set.parts.end() ? std::u16string(missing_mark) : part->second;
    }
    return text;
}

// A text handed out must also be gone from the file, or it would come again after a restart; when the file
// cannot be written the change is undone, so the caller can take the message again later and lose nothing.
void sms_reassembler_t::save_or_undo(std::map<key_t, set_t> before) {
    try {
        save();
    } catch (const text_error_t&) {
        sets_ = std::move(before);
        throw;
    }
}

// The file: a signature line, then for every set one "set" line followed by its "part" lines.
//   set FIRST_SEEN SENDER_TYPE REFERENCE WIDE COUNT Y M D H MI S ZONE PORTS SENDER
//   part SEQUENCE TEXT
// PORTS is "-" or DESTINATION:ORIGINATOR:WIDE; SENDER and TEXT are UTF-16 units in hex ("-" when empty).
void sms_reassembler_t::save() const {
    if (state_file_.empty()) return;
    std::ostringstream out;
    out << file_signature << '\n';
    for (const auto& [key, set] : sets_) {
        const auto& t = set.sc_timestamp;
        out << "set " << set.first_seen << ' ' << int(key.sender_type) << ' ' << key.reference << ' '
            << int(key.wide_reference) << ' ' << int(key.count) << ' ' << t.year << ' ' << t.month << ' ' << t.day
            << ' ' << t.hour << ' ' << t.minute << ' ' << t.second << ' ' << t.zone_quarters << ' ';
        if (set.ports) {
            out << set.ports->destination << ':' << set.ports->originator << ':' << int(set.ports->wide);
        } else {
            out << '-';
        }
        out << ' ' << units_hex(key.sender) << '\n';
        for (const auto& [sequence, text] : set.parts)
            out << "part " << int(sequence) << ' ' << units_hex(text) << '\n';
    }
    // A crash leaves the old or the new file, never a piece of one.
    if (!write_file_atomically(state_file_, out.str()))
        throw text_error_t(texts::pdu_parts_file_not_saved + from_utf8(state_file_.string()));
}

void sms_reassembler_t::load() {
    if (state_file_.empty()) return;
    std::ifstream in(state_file_, std::ios::binary);
    if (!in) return;
    std::error_code size_error;
    const auto size = std::filesystem::file_size(state_file_, size_error);
    std::string line;
    bool ok = !size_error && size <= max_file_size && std::getline(in, line) && line == file_signature;
    std::map<key_t, set_t> sets;
    const key_t* key = nullptr;
    set_t* set = nullptr;
    while (ok && std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, ports, hex;
        fields >> kind;
        if (kind == "set") {
            key_t k;
            set_t s;
            int type = 0, wide = 0, count = 0;
            auto& t = s.sc_timestamp;
            fields >> s.first_seen >> type >> k.reference >> wide >> count >> t.year >> t.month >> t.day >> t.hour >>
                t.minute >> t.second >> t.zone_quarters >> ports >> hex;
            const auto sender = units_from_hex(hex);
            ok = fields && fields.eof() && sender && type >= 0 && type <= 0xFF && wide >= 0 && wide <= 1 &&
                 count >= 2 && count <= 0xFF;
            unsigned destination = 0, originator = 0, ports_wide = 0;
            char colon1 = 0, colon2 = 0;
            if (ok && ports != "-") {
                std::istringstream p(ports);
                p >> destination >> colon1 >> originator >> colon2 >> ports_wide;
                ok = p && p.eof() && colon1 == ':' && colon2 == ':' && destination <= 0xFFFF && originator <= 0xFFFF &&
                     ports_wide <= 1;
                s.ports =
                    sms_ports_t{static_cast<uint16_t>(destination), static_cast<uint16_t>(originator), ports_wide == 1};
            }
            if (!ok) break;
            k.sender = *sender;
            k.sender_type = static_cast<uint8_t>(type);
            k.wide_reference = wide == 1;
            k.count = static_cast<uint8_t>(count);
            auto [it, fresh] = sets.emplace(k, s);
            ok = fresh;
            key = &it->first;
            set = &it->second;
        } else if (kind == "part" && set) {
            int sequence = 0;
            fields >> sequence >> hex;
            const auto text = units_from_hex(hex);
            ok = fields && fields.eof() && text && sequence >= 1 && sequence <= key->count &&
                 set->parts.emplace(static_cast<uint8_t>(sequence), *text).second;
        } else {
            ok = false;
        }
    }
    if (ok) {
        sets_ = std::move(sets);
        return;
    }
    // Keep the damaged file for a person to look at, and start empty rather than refuse to receive.
    in.close();
    set_aside_damaged(state_file_);
    load_error_ = texts::pdu_parts_file_damaged + from_utf8(state_file_.string());
}
