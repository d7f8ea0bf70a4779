#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/messaging_host.h"
#include "platform/modem/send_outcome.h"

class modem_clock_t;
class modem_message_store_t;
class modem_service_t;
class mm_backend_t;
class sms_message_store_t;
class sms_provider_t;
class sim_remote_t;

// What the scenario runner watches and steers besides the screens.
struct modem_messaging_hooks_t {
    // Each SMS handed to the modem (on the sending thread): number, whole text, how its send ended.
    std::function<void(const std::u16string&, const std::u16string&, send_outcome_t)> on_send;
    // Reaches the simulated modem; unused with a real one.
    std::shared_ptr<sim_remote_t> remote;
    // How long the modem is given to acknowledge a request; zero for the modem's own default.
    std::chrono::milliseconds send_answer_wait{0};
};

// The messaging on a modem: the simulated modem and bank inside the process ("sim", the bank answering by
// `bank_rules` when that file exists), a real one spoken to with AT commands ("serial:...", "tcp:..."), or the
// modem ModemManager holds ("mm[:MODEM]", and "auto", which tells the user when ModemManager has no modem). The modem
// runs on its own thread, which also starts it, so that a slow modem delays nothing on the screen; its received
// messages are kept in the ledger under $XDG_STATE_HOME/ostrevan.
class modem_messaging_t : public messaging_host_t {
public:
    // Throws ppc_mapi_ex_t when the message ledger cannot be written; std::invalid_argument for a bad `modem`
    // URI. A modem that cannot be reached is told through on_notice, and tried again.
    modem_messaging_t(const std::string& modem, const std::filesystem::path& bank_rules, bool verbose,
                      modem_messaging_hooks_t hooks = {});
    ~modem_messaging_t() override;

    ppc_messaging_t& messaging() override { return *messaging_; }
    void on_notice(std::function<void(const std::u16string&)> handler) override;
    void start() override;

private:
    std::unique_ptr<modem_clock_t> clock_;
    std::unique_ptr<modem_service_t> service_;  // one of these two
    std::unique_ptr<mm_backend_t> modem_manager_;
    std::unique_ptr<sms_provider_t> provider_;
    std::unique_ptr<sms_message_store_t> store_;
    std::unique_ptr<modem_message_store_t> store_access_;
    std::unique_ptr<ppc_messaging_t> messaging_;
};
