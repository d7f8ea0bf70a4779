#include "app/modem_messaging.h"

#include <iostream>

#include "messaging/modem_message_store.h"
#include "messaging/modem_sms_library.h"
#include "messaging/ppc_messaging.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_message_store.h"
#include "platform/modem/sms_provider.h"
#include "platform/modem_manager/mm_backend.h"
#include "resources/texts.h"
#include "sim/modem_link.h"
#include "sim/sim_modem.h"
#include "sim/sim_remote.h"
// Qt last: its "emit" keyword would clash with the simulated modem's own names.
#include "app/cancel_sms_dialog.h"

namespace {

// The simulated modem, with the bank of `rules` when that file is there.
std::function<std::unique_ptr<transport_t>()> bank_of_rules(const std::filesystem::path& rules, modem_clock_t& clock,
                                                            std::shared_ptr<sim_remote_t> remote) {
    std::error_code error;
    return sim_connector(std::filesystem::exists(rules, error) ? sim_bank_t::from_file(rules) : sim_bank_t(), clock,
                         std::move(remote));
}

// The library's send, telling `on_send` what went to the modem.
sms_library_t tapped(sms_library_t library,
                     std::function<void(const std::u16string&, const std::u16string&, send_outcome_t)> on_send) {
    if (!on_send) return library;
    library.send = [send = std::move(library.send), on_send = std::move(on_send)](
                       sms_handle_t handle, const sms_address_record_t& to, std::u16string_view text,
                       const sms_text_provider_data_t& data, uint32_t encoding, uint32_t options) -> int32_t {
        const int32_t result = send ? send(handle, to, text, data, encoding, options) : -1;
        on_send(std::u16string(to.address), std::u16string(text),
                result == sms_ok              ? send_outcome_t::sent
                : result == sms_error_unknown ? send_outcome_t::unknown
                                              : send_outcome_t::not_sent);
        return result;
    };
    return library;
}

}  // namespace

modem_messaging_t::modem_messaging_t(const std::string& modem, const std::filesystem::path& bank_rules, bool verbose,
                                     modem_messaging_hooks_t hooks)
    : clock_(std::make_unique<system_modem_clock_t>()) {
    const modem_uri_t uri = parse_modem_uri(modem);
    const auto warn = [](const std::string& text) { std::cerr << "ostrevan: " << text << '\n'; };
    sms_backend_t* backend = nullptr;
    if (uri.kind == modem_uri_t::kind_t::modem_manager || uri.kind == modem_uri_t::kind_t::automatic) {
        mm_options_t options;
        options.modem = uri.device;
        options.ledger_file = sms_ledger_t::default_file();
        if (verbose) options.warn = warn;
        options.intake = bank_intake;
        if (uri.kind == modem_uri_t::kind_t::automatic) options.absent_notice = texts::app_no_modem_found;
        modem_manager_ = std::make_unique<mm_backend_t>(options);
        backend = modem_manager_.get();
    } else {
        modem_options_t options;
        options.connect = uri.kind == modem_uri_t::kind_t::sim
                              ? bank_of_rules(bank_rules, *clock_, std::move(hooks.remote))
                              : modem_connector(uri, *clock_);
        options.clock = clock_.get();
        options.ledger_file = sms_ledger_t::default_file();
        if (hooks.send_answer_wait.count() > 0) options.send_answer_wait = hooks.send_answer_wait;
        if (verbose) options.warn = warn;
        // The bank's filter is there before the first walk of the modem's storage, so that what waits there at
        // start is judged by it.
        options.intake = bank_intake;
        service_ = std::make_unique<modem_service_t>(options);
        backend = service_.get();
    }
    provider_ = std::make_unique<sms_provider_t>(*backend);
    store_ = std::make_unique<sms_message_store_t>(*backend);
    // The modem starts on the service's thread; the store opens on the ledger alone.
    store_access_ = std::make_unique<modem_message_store_t>(*store_, nullptr);
    messaging_ =
        std::make_unique<ppc_messaging_t>(tapped(modem_sms_library(*provider_), std::move(hooks.on_send)),
                                          *store_access_, [] { return std::make_unique<cancel_sms_dialog_t>(); });
}

void modem_messaging_t::start() {
    if (service_) service_->start();
    if (modem_manager_) modem_manager_->start();
}

void modem_messaging_t::on_notice(std::function<void(const std::u16string&)> handler) {
    if (service_) service_->on_notice(std::move(handler));
    if (modem_manager_) modem_manager_->on_notice(std::move(handler));
}

modem_messaging_t::~modem_messaging_t() {
    // The watch goes first, so that no notification reaches a store that is gone; the modem's thread last.
    messaging_.reset();
    store_access_.reset();
    store_.reset();
    provider_.reset();
    if (service_) service_->stop();
    service_.reset();
    modem_manager_.reset();
}
