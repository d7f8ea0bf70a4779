// ostrevan-modem send / listen: one SMS out through the SMS provider, or every incoming text as it comes,
// through the same layers the program uses.
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "core/u16.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_message_store.h"
#include "platform/modem/sms_provider.h"
#include "resources/texts.h"
#include "sim/modem_link.h"
#include "tools/ostrevan-modem/command.h"
#include "tools/ostrevan-modem/modem_manager_link.h"

namespace {

std::string send_usage() {
    return to_utf8(texts::modem_usage_word) + "ostrevan-modem send --modem URI --to NUMBER [--port N] TEXT\n" +
           to_utf8(texts::modem_link_options);
}
std::string listen_usage() {
    return to_utf8(texts::modem_usage_word) + "ostrevan-modem listen --modem URI [--ledger FILE] [--take]\n" +
           to_utf8(texts::modem_link_options);
}

std::atomic<bool> stop_requested{false};
void on_link_signal(int) {
    stop_requested = true;
}

// Its own record, so that trying the tool does not take messages from the program's inbox.
std::filesystem::path default_ledger() {
    return sms_ledger_t::default_file().parent_path() / "ostrevan-modem.ledger";
}

modem_options_t options_for(const std::string& uri, modem_clock_t& clock, std::filesystem::path ledger) {
    modem_options_t options;
    options.connect = modem_connector(parse_modem_uri(uri), clock);
    options.clock = &clock;
    options.ledger_file = std::move(ledger);
    options.warn = [](const std::string& text) { std::cerr << "ostrevan-modem: " << text << '\n'; };
    return options;
}

// ModemManager's modem when `uri` names it ("mm[:MODEM]", or "auto"); null for the modems spoken to with AT commands.
// Throws std::runtime_error when this build cannot reach ModemManager.
std::unique_ptr<sms_backend_t> modem_manager_of(const std::string& uri, const std::filesystem::path& ledger,
                                                sms_intake_filter_t intake) {
    const modem_uri_t where = parse_modem_uri(uri);
    if (where.kind != modem_uri_t::kind_t::modem_manager && where.kind != modem_uri_t::kind_t::automatic)
        return nullptr;
    auto backend = open_modem_manager(where.device, ledger, std::move(intake));
    if (!backend) throw std::runtime_error("this build has no ModemManager backend");
    return backend;
}

}  // namespace

int send_command(const std::vector<std::string>& args) {
    std::string uri, to, text;
    std::optional<unsigned long> port;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--modem" && has_value)
            uri = args[++i];
        else if (args[i] == "--to" && has_value)
            to = args[++i];
        else if (args[i] == "--port" && has_value) {
            char* end = nullptr;
            port = std::strtoul(args[++i].c_str(), &end, 0);
            if (*end || *port > 0xFFFF) port = 0x10000;
        } else if (text.empty() && !args[i].starts_with("--"))
            text = args[i];
        else
            uri.clear(), i = args.size();
    }
    if (uri.empty() || to.empty() || text.empty() || (port && *port > 0xFFFF)) {
        std::cerr << send_usage();
        return 2;
    }
    try {
        system_modem_clock_t clock;
        std::unique_ptr<sms_backend_t> modem_manager = modem_manager_of(uri, {}, nullptr);
        std::unique_ptr<modem_service_t> at;
        if (!modem_manager) {
            at = std::make_unique<modem_service_t>(options_for(uri, clock, {}));
            if (!at->connect()) return 1;
        }
        sms_backend_t& modem = modem_manager ? *modem_manager : static_cast<sms_backend_t&>(*at);
        // The records exactly as the messaging code fills them.
        sms_address_record_t address;
        const std::u16string number = from_utf8(to);
        address.type = number.starts_with(u'+') ? sms_address_type_international : sms_address_type_national;
        number.copy(address.address, std::min<size_t>(number.size(), std::size(address.address)));
        sms_text_provider_data_t data;
        if (port) {
            const uint8_t hi = uint8_t(*port >> 8), lo = uint8_t(*port);
            const uint8_t header[] = {0x05, 0x04, hi, lo, hi, lo};
            std::copy(std::begin(header), std::end(header), data.header_data);
            data.header_length = sizeof header;
        }
        const std::u16string body = from_utf8(text);
        sms_provider_t provider(modem);
        sms_handle_t handle = 0;
        if (provider.open(sms_text_provider, sms_mode_send, &handle) != sms_ok) return 1;
        uint32_t id = 0;
        const int32_t rc = provider.send_message(handle, nullptr, &address, nullptr, body.data(), body.size() * 2,
                                                 &data, sizeof data, sms_data_encoding_default, 0, &id);
        provider.close(handle);
        if (rc != sms_ok) {
            std::cerr << to_utf8(texts::modem_not_sent) << '\n';
            return 1;
        }
        std::cout << to_utf8(texts::modem_sent) << '\n';
    } catch (const std::exception& e) {
        std::cerr << "ostrevan-modem send: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

namespace {

// Every unread message of `store` on standard output, marked read.
void print_unread(sms_message_store_t& store) {
    for (const auto& m : store.messages()) {
        if (m.read) continue;
        std::cout << to_utf8(m.text) << std::endl;
        store.set_read(m.id);
    }
}

// Opens the inbox that listen prints, and lets a signal end the tool (a reader that went away is not one).
bool open_for_listening(sms_message_store_t& store) {
    if (!store.logon() || !store.open_inbox(sms_message_store_t::sms_store_name)) return false;
    std::signal(SIGINT, on_link_signal);
    std::signal(SIGTERM, on_link_signal);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// listen on a backend that runs on its own thread: what arrives is printed until a signal ends the tool.
int listen_to(sms_backend_t& modem) {
    sms_message_store_t store(modem);
    if (!open_for_listening(store)) return 1;
    while (!stop_requested) {
        print_unread(store);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

}  // namespace

int listen_command(const std::vector<std::string>& args) {
    std::string uri;
    std::filesystem::path ledger = default_ledger();
    bool take = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--modem" && has_value)
            uri = args[++i];
        else if (args[i] == "--ledger" && has_value)
            ledger = args[++i];
        else if (args[i] == "--take")
            take = true;
        else
            uri.clear(), i = args.size();
    }
    if (uri.empty()) {
        std::cerr << listen_usage();
        return 2;
    }
    try {
        system_modem_clock_t clock;
        // Looking does not take: the messages stay in the modem for the program, unless asked otherwise.
        const sms_intake_t verdict = take ? sms_intake_t::take : sms_intake_t::keep;
        const auto intake = [verdict](const std::u16string&) { return verdict; };
        if (const auto modem_manager = modem_manager_of(uri, ledger, intake)) return listen_to(*modem_manager);
        modem_options_t options = options_for(uri, clock, ledger);
        options.intake = intake;
        modem_service_t modem(std::move(options));
        sms_message_store_t store(modem);
        if (!open_for_listening(store)) return 1;
        while (!stop_requested) {
            if (!modem.connected() && !modem.connect()) {
                clock.sleep_until(clock.now() + modem_service_t::reconnect_delay);
                continue;
            }
            modem.pump(modem_service_t::idle_poll);
            for (const auto& m : store.messages()) {
                if (m.read) continue;
                std::cout << to_utf8(m.text) << std::endl;
                store.set_read(m.id);
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "ostrevan-modem listen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
