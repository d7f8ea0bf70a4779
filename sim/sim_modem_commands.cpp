// The AT commands of the simulated modem, as tables: the basic ones (a letter and a number) and the extended
// ones ("+NAME"), each row the command and what it does. Commands outside the tables get an error.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "sim/sim_modem.h"

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
}

bool parse_int(const std::string& s, int& value) {
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoi(s);
    return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out(1);
    for (const char c : s)
        if (c == sep)
            out.emplace_back();
        else
            out.back().push_back(c);
    return out;
}

// Extended commands whose answer never changes: the reply to the command and to its query.
struct fixed_reply_t {
    std::string_view name;
    std::string_view reply;
};

constexpr fixed_reply_t fixed_replies[] = {
    {"+CGMI", "Ostrevan"},
    {"+GMI", "Ostrevan"},
    {"+CGMM", "Simulated GSM modem"},
    {"+GMM", "Simulated GSM modem"},
    {"+CGMR", "1.0"},
    {"+GMR", "1.0"},
    {"+CGSN", "356938035643809"},
    {"+GSN", "356938035643809"},
    {"+CIMI", "250991234567890"},
    {"+CSQ", "+CSQ: 20,99"},
    {"+CBC", "+CBC: 0,80"},
};

}  // namespace

struct sim_modem_t::basic_command_t {
    std::string_view text;
    void (sim_modem_t::*run)();
};

// Settings a program sends that the simulated modem keeps as they are (verbose results, no quiet mode, the
// usual line signals and flow control, extended result codes) are accepted without an effect.
const sim_modem_t::basic_command_t sim_modem_t::basic_commands[] = {
    {"E", &sim_modem_t::echo_off}, {"E0", &sim_modem_t::echo_off}, {"E1", &sim_modem_t::echo_on},
    {"Z", &sim_modem_t::reset},    {"Z0", &sim_modem_t::reset},    {"&F", &sim_modem_t::reset},
    {"&F0", &sim_modem_t::reset},  {"I", &sim_modem_t::identify},  {"I0", &sim_modem_t::identify},
    {"V1", &sim_modem_t::accept},  {"Q0", &sim_modem_t::accept},   {"&C1", &sim_modem_t::accept},
    {"&D2", &sim_modem_t::accept}, {"&K0", &sim_modem_t::accept},  {"X4", &sim_modem_t::accept},
};

struct sim_modem_t::extended_command_t {
    std::string_view name;
    void (sim_modem_t::*run)(const at_command_t&);
};

const sim_modem_t::extended_command_t sim_modem_t::extended_commands[] = {
    {"+CPIN", &sim_modem_t::pin_state},        {"+CREG", &sim_modem_t::registration},
    {"+COPS", &sim_modem_t::operator_name},    {"+CFUN", &sim_modem_t::functionality},
    {"+CSCA", &sim_modem_t::service_centre},   {"+CSCS", &sim_modem_t::character_set},
    {"+CNMA", &sim_modem_t::acknowledge},      {"+CMEE", &sim_modem_t::error_reports},
    {"+CMGF", &sim_modem_t::message_format},   {"+CSMS", &sim_modem_t::message_service},
    {"+CPMS", &sim_modem_t::message_storages}, {"+CNMI", &sim_modem_t::new_message_indications},
    {"+CMGL", &sim_modem_t::list_messages},    {"+CMGR", &sim_modem_t::read_message},
    {"+CMGD", &sim_modem_t::delete_messages},  {"+CMGS", &sim_modem_t::send_message},
};

void sim_modem_t::command(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.size() > max_command) return error();
    if (line.size() < 2 || upper(line.substr(0, 2)) != "AT") return;  // not a command: modems stay silent
    if (take_fault(sim_fault_t::no_answer)) return;
    sim_fault_spec_t noise;
    if (take_fault(sim_fault_t::noise, &noise)) {
        modem_time_t at = std::max(answer_at_, clock_.now());
        for (long t = 0; t < noise.value; t += 500) {
            at += modem_time_t(500);
            output_queue_.emplace_back(at, "\r\n+CREG: 1\r\n");
        }
        answer_at_ = at;
    }
    const std::string body = line.substr(2);
    const std::string head = upper(body);
    if (head.empty()) return ok();

    if (head[0] != '+') {
        for (const basic_command_t& basic : basic_commands)
            if (head == basic.text) return (this->*basic.run)();
        return error();
    }

    const size_t end = head.find_first_of("=?");
    at_command_t c;
    c.name = head.substr(0, end);
    const std::string rest = end == std::string::npos ? "" : body.substr(end);  // "=?", "?", "=args" or ""
    c.test = rest == "=?";
    c.query = rest == "?";
    c.args = rest.starts_with("=") && !c.test ? rest.substr(1) : "";

    for (const fixed_reply_t& fixed : fixed_replies)
        if (c.name == fixed.name) return c.test ? ok() : ok(std::string(fixed.reply));
    for (const extended_command_t& extended : extended_commands)
        if (c.name == extended.name) return (this->*extended.run)(c);
    return error();
}

void sim_modem_t::echo_off() {
    echo_ = false;
    ok();
}

void sim_modem_t::echo_on() {
    echo_ = true;
    ok();
}

void sim_modem_t::reset() {
    echo_ = true;
    cmee_ = 0;
    cnmi_mode_ = cnmi_mt_ = 0;
    ok();
}

void sim_modem_t::identify() {
    ok("Ostrevan simulated GSM modem");
}

void sim_modem_t::accept() {
    ok();
}

void sim_modem_t::pin_state(const at_command_t& c) {
    c.query ? ok("+CPIN: READY") : ok();
}

void sim_modem_t::registration(const at_command_t& c) {
    c.query ? ok("+CREG: 0,1") : c.test ? ok("+CREG: (0-2)") : ok();
}

void sim_modem_t::operator_name(const at_command_t& c) {
    c.query ? ok("+COPS: 0,0,\"Ostrevan Sim\"") : ok();
}

void sim_modem_t::functionality(const at_command_t& c) {
    c.query ? ok("+CFUN: 1") : ok();
}

void sim_modem_t::service_centre(const at_command_t& c) {
    c.query ? ok("+CSCA: \"+79168999100\",145") : ok();
}

void sim_modem_t::character_set(const at_command_t& c) {
    c.test ? ok("+CSCS: (\"GSM\",\"UCS2\",\"IRA\")") : c.query ? ok("+CSCS: \"GSM\"") : ok();
}

void sim_modem_t::acknowledge(const at_command_t&) {
    ok();
}

void sim_modem_t::error_reports(const at_command_t& c) {
    if (c.test) return ok("+CMEE: (0-2)");
    if (c.query) return ok("+CMEE: " + std::to_string(cmee_));
    int n = 0;
    if (!parse_int(c.args, n) || n > 2) return error();
    cmee_ = n;
    ok();
}

void sim_modem_t::message_format(const at_command_t& c) {
    if (c.test) return ok("+CMGF: (0)");
    if (c.query) return ok("+CMGF: 0");
    c.args == "0" ? ok() : cms_error(303);  // PDU mode only
}

void sim_modem_t::message_service(const at_command_t& c) {
    if (c.test) return ok("+CSMS: (0)");
    if (c.query) return ok("+CSMS: 0,1,1,1");
    c.args == "0" ? ok("+CSMS: 1,1,1") : cms_error(303);
}

void sim_modem_t::message_storages(const at_command_t& c) {
    // The SIM's storage, where messages arrive, and the modem's own, where some land all the same (and where
    // all arrive, when the modem offers it for receiving and it is chosen).
    if (c.test)
        return ok(std::string("+CPMS: (\"SM\",\"ME\"),(\"SM\",\"ME\"),") +
                  (me_receives_offered_ ? "(\"SM\",\"ME\")" : "(\"SM\")"));
    auto fill = [this](bool me) {
        const auto& slots = me ? me_slots_ : slots_;
        return std::string(me ? "\"ME\"," : "\"SM\",") + std::to_string(stored_in(slots)) + "," +
               std::to_string(slots.size());
    };
    if (c.query) return ok("+CPMS: " + fill(mem1_me_) + "," + fill(false) + "," + fill(mem3_me_));
    const auto names = split(upper(c.args), ',');
    if (names.size() > 3) return cms_error(302);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] != "\"SM\"" && (names[i] != "\"ME\"" || (i == 2 && !me_receives_offered_))) return cms_error(302);
    mem1_me_ = names[0] == "\"ME\"";
    if (names.size() == 3) mem3_me_ = names[2] == "\"ME\"";
    auto counts = [&](bool me) {
        const auto& slots = me ? me_slots_ : slots_;
        return std::to_string(stored_in(slots)) + "," + std::to_string(slots.size());
    };
    ok("+CPMS: " + counts(mem1_me_) + "," + counts(mem1_me_) + "," + counts(mem3_me_));
}

void sim_modem_t::new_message_indications(const at_command_t& c) {
    if (c.test) return ok(cnmi_offer_);
    if (c.query) return ok("+CNMI: " + std::to_string(cnmi_mode_) + "," + std::to_string(cnmi_mt_) + ",0,0,0");
    const auto values = split(c.args, ',');
    int mode = 0, mt = 0;
    if (values.size() < 1 || values.size() > 5 || !parse_int(values[0], mode) || mode > 2) return cms_error(303);
    if (values.size() > 1 && (!parse_int(values[1], mt) || mt > 3)) return cms_error(303);
    if (cnmi_offer_.find("(0,2,3)") != std::string::npos && mt == 1) return cms_error(303);
    cnmi_mode_ = mode;
    cnmi_mt_ = mt;
    ok();
}

void sim_modem_t::list_messages(const at_command_t& c) {
    if (c.test) return ok("+CMGL: (0-4)");
    int stat = 4;
    if (!c.args.empty() && (!parse_int(c.args, stat) || stat > 4)) return cms_error(302);
    list(stat);
}

void sim_modem_t::read_message(const at_command_t& c) {
    int n = 0;
    if (!parse_int(c.args, n) || n < 1 || size_t(n) > mem1().size() || !mem1()[size_t(n) - 1]) return cms_error(321);
    slot_t& s = *mem1()[size_t(n) - 1];
    const int stat = s.read ? 1 : 0;
    s.read = true;
    ok("+CMGR: " + std::to_string(stat) + ",," + std::to_string(s.tpdu_length) + "\r\n" + s.pdu);
}

void sim_modem_t::delete_messages(const at_command_t& c) {
    if (c.test) return ok("+CMGD: (1-" + std::to_string(mem1().size()) + "),(0-4)");
    const auto values = split(c.args, ',');
    int n = 0, flag = 0;
    if (!parse_int(values[0], n) || (values.size() > 1 && (!parse_int(values[1], flag) || flag > 4)) ||
        values.size() > 2)
        return cms_error(302);
    if (flag == 0 && (n < 1 || size_t(n) > mem1().size())) return cms_error(321);
    for (size_t i = 0; i < mem1().size(); ++i)
        if (mem1()[i] && (flag == 0 ? i + 1 == size_t(n) : flag == 4 || mem1()[i]->read)) mem1()[i].reset();
    // A freed place lets a message waiting in the network in.
    while (!network_queue_.empty() && stored_in(mem3()) < mem3().size()) {
        auto [pdu, length] = network_queue_.front();
        network_queue_.pop_front();
        store_or_wait(pdu, length);
    }
    ok();
}

void sim_modem_t::send_message(const at_command_t& c) {
    if (c.test) return ok();
    int n = 0;
    if (!parse_int(c.args, n) || n < 7 || n > 176) return cms_error(304);
    prompt_length_ = size_t(n);
    prompt_ = true;
    answer(">");
}
