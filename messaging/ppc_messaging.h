#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "messaging/messaging.h"
#include "messaging/sms_dialog.h"
#include "messaging/sms_handler.h"
#include "messaging/sms_library.h"
#include "messaging/sms_rule.h"
#include "messaging/timed_lock.h"

class inbox_watch_t;
class mapi_library_t;
class sms_messaging_api_t;

// The messaging object: composes and sends the request SMS while the sending dialog waits, and watches
// the inbox for the bank's answers. Build it, send and destroy it on the user-interface thread.
class ppc_messaging_t : public messaging_t, public sms_handler_t {
public:
    using dialog_factory_t = std::function<std::unique_ptr<sms_dialog_t>()>;

    // Logs on to the message store; throws ppc_mapi_ex_t when that fails.
    ppc_messaging_t(sms_library_t sms_library, mapi_library_t& store, dialog_factory_t make_dialog);
    ~ppc_messaging_t() override;

    void set_text(const std::u16string& text) override { text_ = text; }
    void set_number(const std::u16string& number) override { number_ = number; }
    bool send() override { return send_for_outcome() == send_outcome_t::sent; }
    send_outcome_t send_for_outcome() override;
    void set_port(const std::u16string& port) override;
    void set_port_present(bool present) override;
    void set_suffix(const std::u16string& suffix) override { suffix_ = suffix; }
    void set_version(const std::u16string& version) override { version_ = version; }

    // Removes the bank markers and hands the batch, with the bank rule, to the application.
    void on_messages(std::vector<std::u16string> texts, seen_t seen) override;

    // A sending dialog is up (its loop may run other work meanwhile).
    bool sending() const { return current_dialog_ != nullptr; }
    // Called on the user-interface thread each time a sending dialog has ended, so that what waited for the
    // send (a bank message to show) can go on.
    void on_send_ended(std::function<void()> handler) { send_ended_ = std::move(handler); }

    // Starts watching the inbox for the application (Smartphone only); false when the store refuses.
    bool start_watch(confirm_handler_t& application);
    // One walk of the inbox now, as at start-up.
    void deliver();
    sms_rule_t& rule() { return *rule_; }

private:
    friend class sms_messaging_api_t;

    send_outcome_t send_guarded(const std::u16string& outgoing);
    // The worker's end of the dialog of its own send: gives up after 10 ms when the sender holds the dialog
    // lock, and leaves alone a dialog that belongs to a later send (the result of a cancelled send is late).
    void end_dialog(const sms_messaging_api_t* from, bool sent);

    sms_dialog_t* current_dialog_ = nullptr;
    const sms_messaging_api_t* current_sender_ = nullptr;  // whose result the current dialog waits for
    // Held by the user-interface thread except while a sending dialog is shown.
    timed_lock_t dialog_lock_;
    std::unique_lock<timed_lock_t> dialog_hold_{dialog_lock_};
    std::u16string text_;
    std::u16string number_;
    std::u16string port_prefix_;
    bool port_present_ = false;
    std::unique_ptr<inbox_watch_t> watch_;
    std::unique_ptr<qlt_sms_rule_t> rule_;
    std::u16string suffix_;
    std::u16string version_ = u"2.17";
    sms_library_t sms_library_;
    dialog_factory_t make_dialog_;
    confirm_handler_t* application_ = nullptr;
    std::function<void()> send_ended_;
    // Senders whose worker may still run (after a cancel); joined before this object goes.
    std::vector<std::unique_ptr<sms_messaging_api_t>> senders_;
};
