#include "platform/modem/at_engine.h"

namespace {

constexpr char ctrl_z = '\x1a';
constexpr char escape = '\x1b';

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    size_t start = s.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : s.substr(start);
}

}  // namespace

at_engine_t::at_engine_t(transport_t& transport, modem_clock_t& clock) : transport_(transport), clock_(clock) {}

at_response_t at_engine_t::run(const std::string& command, modem_time_t timeout) {
    return exchange(command, nullptr, timeout);
}

at_response_t at_engine_t::run_with_data(const std::string& command, const std::string& data, modem_time_t timeout) {
    return exchange(command, &data, timeout);
}

bool at_engine_t::fill(modem_time_t deadline) {
    if (!link_up_) return false;
    try {
        const std::string bytes = transport_.read(deadline, 4096);
        if (bytes.empty()) return false;
        reader_.feed(bytes);
        return true;
    } catch (const link_error_t&) {
        link_up_ = false;
        return false;
    }
}

bool at_engine_t::took_pdu_line(const std::string& line) {
    if (!awaiting_pdu_) return false;
    awaiting_pdu_->pdu = line;
    const at_urc_t urc = std::move(*awaiting_pdu_);
    awaiting_pdu_.reset();
    if (handler_) handler_(urc);
    return true;
}

bool at_engine_t::send(const std::string& bytes) {
    try {
        transport_.write(bytes);
        return true;
    } catch (const link_error_t&) {
        link_up_ = false;
        return false;
    }
}

void at_engine_t::handle_unsolicited(const std::string& line, const at_line_t& kind) {
    at_urc_t urc;
    urc.name = kind.name;
    if (line.size() > kind.name.size()) urc.args = trim(line.substr(kind.name.size() + 1));
    if (kind.pdu_follows) {
        awaiting_pdu_ = std::move(urc);
        return;
    }
    if (handler_) handler_(urc);
}

at_response_t at_engine_t::exchange(const std::string& command, const std::string* data, modem_time_t timeout) {
    at_response_t response;
    if (needs_resync_ && link_up_) resync();
    if (!link_up_) {
        response.status = at_status_t::link_down;
        return response;
    }
    if (!send(command + "\r")) {
        response.status = at_status_t::link_down;
        return response;
    }
    bool want_prompt = data != nullptr;
    modem_time_t deadline = clock_.now() + (want_prompt ? default_timeout : timeout);
    for (;;) {
        while (auto line = reader_.next(want_prompt)) {
            if (took_pdu_line(*line)) continue;
            if (want_prompt && *line == ">") {
                want_prompt = false;
                if (!send(*data + ctrl_z)) {
                    response.status = at_status_t::link_down;
                    return response;
                }
                deadline = clock_.now() + timeout;
                continue;
            }
            if (*line == command) continue;  // echo, before echo is switched off
            const at_line_t kind = classify_at_line(*line, command);
            if (kind.kind == at_line_kind_t::final_result) {
                response.status = kind.status;
                response.code = kind.code;
                return response;
            }
            if (kind.kind == at_line_kind_t::unsolicited) {
                handle_unsolicited(*line, kind);
                continue;
            }
            if (response.lines.size() < max_info_lines)
                response.lines.push_back(std::move(*line));
            else
                ++garbage_;
        }
        // The deadline holds whatever arrives: a peer that keeps talking must not hold a command for ever.
        if (clock_.now() >= deadline) break;
        if (!fill(deadline) && !link_up_) {
            response.status = at_status_t::link_down;
            return response;
        }
    }
    response.status = at_status_t::timeout;
    needs_resync_ = true;
    return response;
}

void at_engine_t::drain(modem_time_t quiet, modem_time_t limit) {
    const modem_time_t end = clock_.now() + limit;
    for (;;) {
        while (auto line = reader_.next(false)) {
            if (took_pdu_line(*line)) continue;
            const at_line_t kind = classify_at_line(*line, {});
            if (kind.kind == at_line_kind_t::unsolicited)
                handle_unsolicited(*line, kind);
            else if (kind.kind == at_line_kind_t::info)
                ++garbage_;
        }
        const modem_time_t now = clock_.now();
        if (now >= end) return;
        if (!fill(std::min(end, now + quiet))) return;
    }
}

void at_engine_t::resync() {
    needs_resync_ = false;
    if (!send(std::string(1, escape))) return;
    drain(modem_time_t(300), modem_time_t(3'000));
    reader_.clear();
    awaiting_pdu_.reset();
    // A plain AT must answer; if it does not, the next command finds out again. A slow modem may still
    // finish the old command first: its late final result then stands in for the probe's, and the probe's
    // own answer, right behind it, is drained.
    const at_response_t r = exchange("AT", nullptr, default_timeout);
    if (r.status != at_status_t::timeout) drain(modem_time_t(500), modem_time_t(2'000));
}

void at_engine_t::poll(modem_time_t duration) {
    drain(duration, duration);
}
