#include "platform/modem/at_engine.h"

#include <algorithm>

namespace {

constexpr char ctrl_z = '\x1a';
constexpr char escape = '\x1b';

// Commands whose answer carries a line of their own name, which no late answer of another command has. Every
// SMS modem knows them; a second and a third stand in when an earlier one may itself still be answered late.
struct marker_t {
    const char* command;
    const char* name;
};
constexpr marker_t markers[] = {{"AT+CMGF?", "+CMGF"}, {"AT+CSQ", "+CSQ"}, {"AT+CPMS?", "+CPMS"}};

// "+CMGS" out of "AT+CMGS=13"; empty for a basic command ("AT", "ATE0").
std::string name_of(const std::string& command) {
    if (command.size() < 3 || command[2] != '+') return {};
    return command.substr(2, command.find_first_of("=?") - 2);
}

// A final result in numeric form ("0" OK, "4" ERROR), as a modem set to ATV0 sends it.
bool numeric_final(const std::string& line) {
    return line == "0" || line == "4";
}

std::string trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    size_t start = s.find_first_not_of(" \t");
    return start == std::string::npos ? std::string() : s.substr(start);
}

}  // namespace

at_engine_t::at_engine_t(transport_t& transport, modem_clock_t& clock) : transport_(transport), clock_(clock) {}

at_response_t at_engine_t::run(const std::string& command, modem_time_t timeout) {
    return exchange(command, nullptr, timeout, nullptr);
}

at_response_t at_engine_t::run_with_data(const std::string& command, const std::string& data, modem_time_t timeout,
                                         const std::function<bool()>& may_write) {
    return exchange(command, &data, timeout, may_write ? &may_write : nullptr);
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

at_response_t at_engine_t::exchange(const std::string& command, const std::string* data, modem_time_t timeout,
                                    const std::function<bool()>* may_write) {
    at_response_t response;
    if (needs_resync_ && link_up_ && resync()) needs_resync_ = false;
    if (!link_up_) {
        response.status = at_status_t::link_down;
        return response;
    }
    if (needs_resync_) {
        // The modem has not answered the marker: what it says now may belong to an older command.
        response.status = at_status_t::timeout;
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
                if (may_write && !(*may_write)()) {
                    // Withdrawn at the last moment: the prompt is cancelled, and its answer ends the command.
                    response.withdrawn = true;
                    if (!send(std::string(1, escape))) {
                        response.status = at_status_t::link_down;
                        return response;
                    }
                    deadline = clock_.now() + default_timeout;
                    continue;
                }
                response.data_written = true;
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
                // "OK" while the prompt is still awaited, or after the data without the command's own line, is
                // no answer to it: a late one of something else, or a modem out of step. Its real answer (or
                // prompt) may still come, so the next command first waits for the modem to be in step again.
                if (data && kind.status == at_status_t::ok && !response.withdrawn) {
                    const std::string name = name_of(command) + ":";
                    const bool own = std::any_of(response.lines.begin(), response.lines.end(),
                                                 [&](const std::string& l) { return l.starts_with(name); });
                    if (want_prompt || !own) {
                        needs_resync_ = true;
                        stale_.insert(name_of(command));
                    }
                }
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
    stale_.insert(name_of(command));
    return response;
}

void at_engine_t::drain(modem_time_t quiet, modem_time_t limit) {
    const modem_time_t end = clock_.now() + limit;
    for (;;) {
        handle_idle_lines();
        const modem_time_t now = clock_.now();
        if (now >= end) return;
        if (!fill(std::min(end, now + quiet))) return;
    }
}

bool at_engine_t::resync() {
    // A modem sitting at a send prompt takes the escape as "cancel"; any other ignores it.
    if (!send(std::string(1, escape))) return false;
    const marker_t* marker = nullptr;
    for (const auto& m : markers)
        if (!stale_.contains(m.name)) {
            marker = &m;
            break;
        }
    if (!marker) {
        // Every marker went unanswered: the modem has been silent for a long while. Start the round again.
        stale_.clear();
        marker = &markers[0];
    }
    const std::string command = marker->command;
    const std::string own = std::string(marker->name) + ":";
    if (!send(command + "\r")) return false;
    stale_.insert(marker->name);
    const modem_time_t limit = clock_.now() + resync_limit;
    modem_time_t deadline = clock_.now() + default_timeout;
    bool seen = false;
    for (;;) {
        while (auto line = reader_.next(false)) {
            if (took_pdu_line(*line) || *line == command) continue;
            if (line->starts_with(own)) {
                seen = true;
                continue;
            }
            const at_line_t kind = classify_at_line(*line, {});
            if (kind.kind == at_line_kind_t::final_result || (seen && numeric_final(*line))) {
                if (seen) {
                    // Everything before the marker's answer has been answered: the modem is in step.
                    stale_.clear();
                    return true;
                }
                // A late answer of an older command: the modem is alive and catching up; give it more time.
                deadline = std::min(limit, clock_.now() + default_timeout);
                continue;
            }
            if (kind.kind == at_line_kind_t::unsolicited)
                handle_unsolicited(*line, kind);
            else
                ++garbage_;
        }
        if (clock_.now() >= deadline) return false;
        if (!fill(deadline) && !link_up_) return false;
    }
}

size_t at_engine_t::handle_idle_lines() {
    size_t handed = 0;
    while (auto line = reader_.next(false)) {
        if (took_pdu_line(*line)) {
            ++handed;
            continue;
        }
        const at_line_t kind = classify_at_line(*line, {});
        if (kind.kind == at_line_kind_t::unsolicited) {
            handle_unsolicited(*line, kind);
            ++handed;
        } else if (kind.kind == at_line_kind_t::info) {
            ++garbage_;
        }
    }
    return handed;
}

void at_engine_t::poll(modem_time_t duration) {
    drain(duration, duration);
}

void at_engine_t::wait(modem_time_t deadline, int wake_fd) {
    // What came behind the last command's answer is handed on before any sleep.
    if (handle_idle_lines() > 0 || !link_up_) return;
    try {
        transport_.wait(deadline, wake_fd);
    } catch (const link_error_t&) {
        link_up_ = false;
        return;
    }
    fill(clock_.now());
    handle_idle_lines();
}
