#include "sim/sim_modem.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <utility>

#include "core/text_error.h"
#include "core/u16.h"
#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_encoder.h"
#include "platform/pdu/sms_reassembler.h"

namespace {

constexpr size_t max_pdu_hex = 2 * 200;

sms_timestamp_t timestamp_of(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

}  // namespace

sim_modem_t::sim_modem_t(modem_clock_t& clock, sim_bank_t bank, std::string bank_number, size_t capacity)
    : clock_(clock),
      bank_(std::move(bank)),
      bank_number_(std::move(bank_number)),
      slots_(capacity),
      network_(std::chrono::hours(1)) {
    wall_at_start_ =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    clock_at_start_ = clock_.now();
}

sms_timestamp_t sim_modem_t::stamp(std::chrono::seconds offset) const {
    // On the modem's own clock, so that messages a test delivers at other moments carry other times.
    const auto run = std::chrono::duration_cast<std::chrono::seconds>(clock_.now() - clock_at_start_);
    return timestamp_of(wall_at_start_ + run.count() + offset.count());
}

std::vector<encoded_pdu_t> sim_modem_t::parts_of(const std::u16string& sender, const std::u16string& text,
                                                 std::chrono::seconds offset, std::optional<uint8_t> message_class) {
    sms_outgoing_t message;
    message.address = sender;
    message.text = text;
    message.message_class = message_class;
    message.reference = concat_reference_++;
    return encode_deliver(message, stamp(offset));
}

void sim_modem_t::store_waiting(const std::u16string& sender, const std::u16string& text,
                                std::optional<uint8_t> message_class, bool in_modem_memory) {
    auto& slots = in_modem_memory ? me_slots_ : slots_;
    for (const auto& part : parts_of(sender, text, std::chrono::seconds(0), message_class)) {
        const auto free = std::find_if(slots.begin(), slots.end(), [](const auto& s) { return !s; });
        if (free == slots.end()) return;
        *free = slot_t{part.hex, part.tpdu_length, false};
    }
}

void sim_modem_t::deliver_reused_reference(const std::u16string& sender, const std::u16string& first,
                                           const std::u16string& second, std::chrono::seconds gap) {
    const auto a = parts_of(sender, first);
    --concat_reference_;  // the same reference again
    const auto b = parts_of(sender, second, gap);
    auto put = [this](const std::vector<encoded_pdu_t>& parts, size_t i) {
        if (i < parts.size()) store_or_wait(parts[i].hex, parts[i].tpdu_length);
    };
    for (size_t i = 0; i < std::max(a.size(), b.size()); i += 2) {
        put(a, i);
        put(b, i + 1);
        put(b, i);
        put(a, i + 1);
    }
}

void sim_modem_t::deliver_with_early_repeat(const std::u16string& sender, const std::u16string& text) {
    const auto parts = parts_of(sender, text);
    if (parts.empty()) return;
    store_or_wait(parts.back().hex, parts.back().tpdu_length);
    for (const auto& part : parts) store_or_wait(part.hex, part.tpdu_length);
}

size_t sim_modem_t::stored_in(const std::vector<std::optional<slot_t>>& slots) {
    return size_t(std::count_if(slots.begin(), slots.end(), [](const auto& s) { return s.has_value(); }));
}

size_t sim_modem_t::stored() const {
    return stored_in(slots_);
}

void sim_modem_t::store_in_modem_memory(const std::u16string& sender, const std::u16string& text) {
    for (const auto& part : parts_of(sender, text)) {
        const auto free = std::find_if(me_slots_.begin(), me_slots_.end(), [](const auto& s) { return !s; });
        if (free == me_slots_.end()) return;
        *free = slot_t{part.hex, part.tpdu_length, false};
        emit("\r\n+CMTI: \"ME\"," + std::to_string(free - me_slots_.begin() + 1) + "\r\n");
    }
}

void sim_modem_t::receive(std::string_view bytes) {
    for (const char c : bytes) {
        if (prompt_) {
            if (c == '\x1a') {
                prompt_ = false;
                submit(std::exchange(line_, {}));
            } else if (c == '\x1b') {
                prompt_ = false;
                line_.clear();
                ok();
            } else if (c != '\r' && c != '\n' && line_.size() <= max_pdu_hex) {
                line_ += c;
            }
            continue;
        }
        if (c == '\r') {
            if (echo_) emit(line_ + "\r");
            command(std::exchange(line_, {}));
        } else if (c == '\x1a' || c == '\x1b') {
            line_.clear();
        } else if (c != '\n' && line_.size() <= max_command) {
            line_ += c;
        }
    }
}

void sim_modem_t::inject(sim_fault_spec_t fault) {
    if (fault.fault == sim_fault_t::full_storage)
        fill_storage();
    else
        faults_.push_back(std::move(fault));
}

void sim_modem_t::schedule(modem_time_t when, std::function<void()> action) {
    events_.emplace_back(when, std::move(action));
}

void sim_modem_t::emit(const std::string& bytes) {
    output_queue_.emplace_back(clock_.now(), bytes);
}

bool sim_modem_t::take_fault(sim_fault_t kind, sim_fault_spec_t* out) {
    const auto it = std::find_if(faults_.begin(), faults_.end(), [&](const auto& f) { return f.fault == kind; });
    if (it == faults_.end()) return false;
    if (out) *out = *it;
    faults_.erase(it);
    return true;
}

void sim_modem_t::answer(const std::string& text) {
    sim_fault_spec_t f;
    std::string bytes;
    if (take_fault(sim_fault_t::garbage, &f)) bytes += f.text;
    bytes += "\r\n" + text + (text == ">" ? " " : "\r\n");
    modem_time_t at = std::max(answer_at_, clock_.now() + answer_delay_);
    if (take_fault(sim_fault_t::delay, &f)) at += modem_time_t(f.value);
    answer_at_ = at;
    output_queue_.emplace_back(at, bytes);
}

void sim_modem_t::list(int wanted) {
    std::string info;
    const bool garbled = take_fault(sim_fault_t::listing_garbage);
    for (size_t i = 0; i < mem1().size(); ++i) {
        if (!mem1()[i]) continue;
        slot_t& s = *mem1()[i];
        const int stat = s.read ? 1 : 0;
        if (wanted != 4 && wanted != stat) continue;
        s.read = true;  // like most modems: listing marks a message read
        info += (info.empty() ? "" : "\r\n") +
                ("+CMGL: " + std::to_string(i + 1) + "," + std::to_string(stat) + ",," + std::to_string(s.tpdu_length) +
                 "\r\n" + (garbled && info.find("~~noise~~") == std::string::npos ? "~~noise~~\r\n" : "") + s.pdu);
    }
    ok(info);
    sim_fault_spec_t f;
    if (take_fault(sim_fault_t::cmti_during_listing, &f)) deliver(from_utf8(bank_number_), from_utf8(f.text));
}

void sim_modem_t::submit(const std::string& hex) {
    ++pdus_received_;
    sms_submit_t message;
    try {
        auto pdu = decode_pdu_hex(hex);
        const auto* s = std::get_if<sms_submit_t>(&pdu);
        const size_t smsc_octets = hex.size() >= 2 ? 1 + std::stoul(hex.substr(0, 2), nullptr, 16) : 1;
        if (!s || hex.size() / 2 != smsc_octets + prompt_length_) return cms_error(304);
        message = *s;
    } catch (const std::exception&) {
        return cms_error(304);
    }
    sim_fault_spec_t f;
    modem_time_t bank_late{0};
    if (message.user_data.concat && message.user_data.concat->sequence > 1 &&
        std::any_of(faults_.begin(), faults_.end(), [&](const sim_fault_spec_t& fault) {
            return fault.fault == sim_fault_t::refuse_later_part &&
                   message.user_data.concat->sequence == (fault.value > 1 ? fault.value : 2);
        })) {
        take_fault(sim_fault_t::refuse_later_part);
        return cms_error(21);  // short message transfer rejected: this part did not go
    }
    if (take_fault(sim_fault_t::cms_error, &f)) return cms_error(int(f.value));
    if (take_fault(sim_fault_t::cmti_during_send, &f)) deliver(from_utf8(bank_number_), from_utf8(f.text));
    if (take_fault(sim_fault_t::no_carrier_during_send)) {
        emit("\r\nRING\r\n");
        answer_at_ = std::max(answer_at_, clock_.now()) + modem_time_t(2'000);
        output_queue_.emplace_back(answer_at_, "\r\nNO CARRIER\r\n");
    }
    if (take_fault(sim_fault_t::hang_up_after_pdu)) {
        ++reference_;  // the network took it; the link drops before the answer comes
        connected_ = false;
        output_queue_.clear();
    } else if (take_fault(sim_fault_t::lost_acknowledgement, &f)) {
        ++reference_;  // the network took it; the answer is lost on the way
        bank_late = modem_time_t(f.value);
    } else
        answer("+CMGS: " + std::to_string(reference_++) + "\r\n\r\nOK");

    // The network joins the parts of a long message before anybody reads it.
    sms_deliver_t as_received;
    as_received.originator = {0x91, from_utf8(own_number)};
    as_received.user_data = message.user_data;
    as_received.dcs = message.dcs;
    const auto ports = message.user_data.ports;
    for (const auto& text : network_.add(as_received)) {
        std::optional<int> cls = message.dcs.message_class;
        sent_.push_back({message.destination.value, text.text,
                         ports ? std::optional<uint16_t>(ports->destination) : std::nullopt, cls});
        if (message.destination.value != from_utf8(bank_number_)) continue;
        const std::string reply = bank_.answer(to_utf8(text.text));
        if (reply.empty()) continue;
        schedule(clock_.now() + bank_delay_ + bank_late,
                 [this, reply] { deliver(from_utf8(bank_number_), from_utf8(reply)); });
    }
}

void sim_modem_t::deliver(const std::u16string& sender, const std::u16string& text, std::optional<uint16_t> port) {
    sms_outgoing_t message;
    message.address = sender;
    message.text = text;
    message.port = port;
    message.message_class = std::nullopt;
    message.reference = concat_reference_++;
    const bool twice = take_fault(sim_fault_t::repeat_delivery);
    for (int copy = 0; copy < (twice ? 2 : 1); ++copy)
        for (const auto& part : encode_deliver(message, stamp())) store_or_wait(part.hex, part.tpdu_length);
}

void sim_modem_t::store_or_wait(const std::string& pdu, size_t tpdu_length) {
    if (cnmi_mt_ == 2 || cnmi_mt_ == 3) {
        // Routed straight to the terminal, not stored.
        emit("\r\n+CMT: ," + std::to_string(tpdu_length) + "\r\n" + pdu + "\r\n");
        return;
    }
    auto& slots = mem3();
    const auto free = std::find_if(slots.begin(), slots.end(), [](const auto& s) { return !s.has_value(); });
    if (free == slots.end()) {
        network_queue_.emplace_back(pdu, tpdu_length);
        return;
    }
    *free = slot_t{pdu, tpdu_length, false};
    if (cnmi_mt_ == 1 && cnmi_mode_ > 0)
        emit(std::string("\r\n+CMTI: ") + (mem3_me_ ? "\"ME\"," : "\"SM\",") +
             std::to_string(free - slots.begin() + 1) + "\r\n");
}

void sim_modem_t::fill_storage() {
    sms_outgoing_t filler;
    filler.address = u"+79995550000";
    filler.text = u"Скидки до 50% только сегодня!";
    filler.message_class = std::nullopt;
    const auto parts = encode_deliver(filler, stamp());
    for (auto& s : slots_)
        if (!s) s = slot_t{parts[0].hex, parts[0].tpdu_length, false};
}

std::string sim_modem_t::take_output() {
    return std::exchange(output_, {});
}

std::optional<modem_time_t> sim_modem_t::next_event() {
    std::optional<modem_time_t> next;
    for (const auto& e : events_)
        if (!next || e.first < *next) next = e.first;
    for (const auto& o : output_queue_)
        if (!next || o.first < *next) next = o.first;
    return next;
}

void sim_modem_t::advance(modem_time_t now) {
    for (;;) {
        const auto due = std::find_if(events_.begin(), events_.end(), [&](const auto& e) { return e.first <= now; });
        if (due == events_.end()) break;
        auto action = std::move(due->second);
        events_.erase(due);
        action();
    }
    std::stable_sort(output_queue_.begin(), output_queue_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t n = 0;
    while (n < output_queue_.size() && output_queue_[n].first <= now) output_ += output_queue_[n++].second;
    output_queue_.erase(output_queue_.begin(), output_queue_.begin() + long(n));
}
