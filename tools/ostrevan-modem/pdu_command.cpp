// ostrevan-modem pdu encode|decode: builds SMS-SUBMIT PDUs as the program sends them, and shows the fields of
// PDUs as a modem lists them, joining the parts of concatenated messages.
#include <charconv>
#include <cstdio>
#include <iostream>

#include "core/text_error.h"
#include "core/text_format.h"
#include "core/u16.h"
#include "platform/pdu/hex.h"
#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_encoder.h"
#include "platform/pdu/sms_reassembler.h"
#include "resources/texts.h"
#include "tools/ostrevan-modem/command.h"

namespace {

std::string encode_usage() {
    return to_utf8(texts::modem_usage_word) +
           "ostrevan-modem pdu encode --to NUMBER [--port N] [--class N|none] TEXT\n" +
           to_utf8(texts::modem_encode_options);
}
std::string decode_usage() {
    return to_utf8(texts::modem_usage_word) + "ostrevan-modem pdu decode [--json] HEX...\n";
}

struct usage_error_t {
    std::string text;
};

std::optional<unsigned> parse_number(std::string_view text, unsigned max) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

int encode(const std::vector<std::string>& args) {
    sms_outgoing_t message;
    std::optional<std::string> text;
    bool have_to = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--to" && has_value) {
            message.address = from_utf8(args[++i]);
            have_to = true;
        } else if (a == "--port" && has_value) {
            const auto port = parse_number(args[++i], 0xFFFF);
            if (!port) throw usage_error_t{to_utf8(format_text(texts::modem_bad_port, {from_utf8(args[i])})) + "\n"};
            message.port = static_cast<uint16_t>(*port);
        } else if (a == "--class" && has_value) {
            const auto message_class = args[++i] == "none" ? std::optional<unsigned>() : parse_number(args[i], 3);
            if (!message_class && args[i] != "none")
                throw usage_error_t{to_utf8(format_text(texts::modem_bad_class, {from_utf8(args[i])})) + "\n"};
            message.message_class = message_class ? std::optional<uint8_t>(*message_class) : std::nullopt;
        } else if (!a.starts_with("--") && !text) {
            text = a;
        } else {
            throw usage_error_t{encode_usage()};
        }
    }
    if (!have_to || !text) throw usage_error_t{encode_usage()};
    message.text = from_utf8(*text);
    for (const auto& pdu : encode_submit(message)) std::cout << pdu.hex << '\n';
    return 0;
}

// The fields of one PDU in order, printed as "name: value" lines or as one JSON object.
struct field_t {
    std::string name;
    std::string value;
    bool number = false;
};
using fields_t = std::vector<field_t>;

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string two(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string time_text(const sms_timestamp_t& t) {
    const int zone = t.zone_quarters < 0 ? -t.zone_quarters : t.zone_quarters;
    return std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + " " + two(t.hour) + ":" + two(t.minute) +
           ":" + two(t.second) + " " + (t.zone_quarters < 0 ? "-" : "+") + two(zone / 4) + ":" + two(zone % 4 * 15);
}

void add(fields_t& f, std::string name, std::string value) {
    f.push_back({std::move(name), std::move(value)});
}
void add_number(fields_t& f, std::string name, unsigned value) {
    f.push_back({std::move(name), std::to_string(value), true});
}

void add_address(fields_t& f, const std::string& name, const sms_address_t& address) {
    add(f, name, to_utf8(address.value));
    add(f, name + "_type", to_hex(std::vector<uint8_t>{address.type}));
}

void add_coding(fields_t& f, const sms_dcs_t& dcs) {
    add(f, "coding",
        dcs.alphabet == sms_alphabet_t::gsm7   ? "gsm7"
        : dcs.alphabet == sms_alphabet_t::ucs2 ? "ucs2"
                                               : "8bit");
    if (dcs.message_class) add_number(f, "class", static_cast<unsigned>(*dcs.message_class));
    if (dcs.compressed) add(f, "compressed", "yes");
}

void add_user_data(fields_t& f, const sms_dcs_t& dcs, const sms_user_data_t& ud) {
    if (!ud.header.empty()) {
        std::string header;
        for (const auto& e : ud.header) {
            header += (header.empty() ? "" : " ") + to_hex(std::vector<uint8_t>{e.id}) + ":" + to_hex(e.data);
        }
        add(f, "header", header);
    }
    if (ud.ports) {
        add_number(f, "destination_port", ud.ports->destination);
        add_number(f, "originator_port", ud.ports->originator);
    }
    if (ud.concat) {
        add_number(f, "reference", ud.concat->reference);
        add_number(f, "part", ud.concat->sequence);
        add_number(f, "parts", ud.concat->count);
    }
    const bool text = !dcs.compressed && dcs.alphabet != sms_alphabet_t::eight_bit;
    if (text) {
        add(f, "text", to_utf8(ud.text));
    } else {
        add(f, "data", to_hex(ud.payload));
    }
}

fields_t fields_of(const sms_pdu_t& pdu) {
    fields_t f;
    if (const auto* d = std::get_if<sms_deliver_t>(&pdu)) {
        add(f, "type", "SMS-DELIVER");
        if (!d->smsc.value.empty()) add(f, "smsc", to_utf8(d->smsc.value));
        add_address(f, "from", d->originator);
        add(f, "time", time_text(d->sc_timestamp));
        add_number(f, "pid", d->pid);
        add_coding(f, d->dcs);
        add_user_data(f, d->dcs, d->user_data);
    } else if (const auto* s = std::get_if<sms_submit_t>(&pdu)) {
        add(f, "type", "SMS-SUBMIT");
        if (!s->smsc.value.empty()) add(f, "smsc", to_utf8(s->smsc.value));
        add_number(f, "message_reference", s->message_reference);
        add_address(f, "to", s->destination);
        add_number(f, "pid", s->pid);
        add_coding(f, s->dcs);
        if (!s->validity_period.empty()) add(f, "validity", to_hex(s->validity_period));
        add_user_data(f, s->dcs, s->user_data);
    } else {
        const auto& r = std::get<sms_status_report_t>(pdu);
        add(f, "type", "SMS-STATUS-REPORT");
        if (!r.smsc.value.empty()) add(f, "smsc", to_utf8(r.smsc.value));
        add_number(f, "message_reference", r.message_reference);
        add_address(f, "recipient", r.recipient);
        add(f, "time", time_text(r.sc_timestamp));
        add(f, "discharge_time", time_text(r.discharge_time));
        add_number(f, "status", r.status);
        if (r.user_data) add_user_data(f, r.dcs.value_or(sms_dcs_t{}), *r.user_data);
    }
    return f;
}

// The index-th record of a list: a "LABEL N:" block of "name: value" lines, or one JSON object.
void print(const fields_t& f, bool json, const char* label, size_t index) {
    if (!json) {
        std::cout << label << ' ' << index + 1 << ":\n";
        for (const auto& field : f) std::cout << "  " << field.name << ": " << field.value << '\n';
        return;
    }
    std::cout << (index ? ", {" : "{");
    for (size_t i = 0; i < f.size(); ++i) {
        std::cout << (i ? ", " : "") << json_string(f[i].name) << ": "
                  << (f[i].number ? f[i].value : json_string(f[i].value));
    }
    std::cout << '}';
}

int decode(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> hexes;
    for (const auto& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a.starts_with("--")) {
            throw usage_error_t{decode_usage()};
        } else {
            hexes.push_back(a);
        }
    }
    if (hexes.empty()) throw usage_error_t{decode_usage()};

    // Parts are joined as the program joins them; what is still missing at the end is shown as incomplete.
    bool finished = false;
    sms_reassembler_t reassembler(std::chrono::hours(1), [&finished] {
        return finished ? std::chrono::system_clock::time_point::max() : std::chrono::system_clock::time_point();
    });
    std::vector<sms_text_t> joined;
    int status = 0;
    if (json) std::cout << "{\"pdus\": [";
    for (size_t i = 0; i < hexes.size(); ++i) {
        fields_t f;
        try {
            const sms_pdu_t pdu = decode_pdu_hex(hexes[i]);
            f = fields_of(pdu);
            // A submit is joined by its destination, so that our own encoder's parts can be checked too.
            std::optional<sms_deliver_t> text;
            if (const auto* d = std::get_if<sms_deliver_t>(&pdu)) text = *d;
            if (const auto* s = std::get_if<sms_submit_t>(&pdu)) {
                text = sms_deliver_t{};
                text->originator = s->destination;
                text->user_data = s->user_data;
            }
            if (text && text->user_data.concat && text->user_data.concat->count > 1) {
                for (auto& t : reassembler.add(*text)) joined.push_back(std::move(t));
            }
        } catch (const text_error_t& e) {
            f = {{"error", e.what()}};
            status = 1;
        }
        print(f, json, "pdu", i);
    }
    finished = true;
    for (auto& t : reassembler.expire()) joined.push_back(std::move(t));
    if (json) std::cout << "], \"joined\": [";
    for (size_t i = 0; i < joined.size(); ++i) {
        const fields_t f{{"from", to_utf8(joined[i].sender.value)},
                         {"complete", joined[i].complete ? "true" : "false", true},
                         {"text", to_utf8(joined[i].text)}};
        print(f, json, "joined", i);
    }
    if (json) std::cout << "]}\n";
    return status;
}

}  // namespace

int pdu_command(const std::vector<std::string>& args) {
    const std::string what = args.empty() ? "" : args[0];
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    try {
        if (what == "encode") return encode(rest);
        if (what == "decode") return decode(rest);
        throw usage_error_t{encode_usage() + decode_usage()};
    } catch (const usage_error_t& e) {
        std::cerr << e.text;
        return 2;
    } catch (const text_error_t& e) {
        std::cerr << "ostrevan-modem: " << e.what() << '\n';
        return 1;
    }
}
