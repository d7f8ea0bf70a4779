#include "messaging/ppc_messaging.h"

#include <chrono>

#include "messaging/inbox_watch.h"
#include "messaging/sms_messaging_api.h"

using namespace std::chrono_literals;

ppc_messaging_t::ppc_messaging_t(sms_library_t sms_library, mapi_library_t& store, dialog_factory_t make_dialog)
    : rule_(std::make_unique<qlt_sms_rule_t>()),
      sms_library_(std::move(sms_library)),
      make_dialog_(std::move(make_dialog)) {
    watch_ = std::make_unique<inbox_watch_t>(store, rule_.get(), false);
}

ppc_messaging_t::~ppc_messaging_t() {
    watch_.reset();
    senders_.clear();
}

send_outcome_t ppc_messaging_t::send_for_outcome() {
    if (text_.empty()) return send_outcome_t::sent;
    std::u16string outgoing = text_ + u";;ver=w" + version_ + suffix_;
    if (number_.empty()) return send_outcome_t::not_sent;
    if (port_present_ && !port_prefix_.empty()) outgoing.insert(0, port_prefix_);
    return send_guarded(outgoing);
}

void ppc_messaging_t::set_port(const std::u16string& port) {
    port_prefix_ = u"{" + port + u"}";
    rule_->set_prefix(port_prefix_);
}

void ppc_messaging_t::set_port_present(bool present) {
    port_present_ = present;
    rule_->set_enabled(present);
}

send_outcome_t ppc_messaging_t::send_guarded(const std::u16string& outgoing) {
    // A send started from inside the sending dialog's own loop (a bank message handled meanwhile) is refused:
    // only one request is in flight, and the caller's retry question leaves the choice to the user.
    if (current_dialog_) return send_outcome_t::not_sent;
    std::erase_if(senders_, [](const auto& sender) { return sender->finished(); });
    auto sender = std::make_unique<sms_messaging_api_t>(sms_library_);
    auto dialog = make_dialog_();
    current_dialog_ = dialog.get();
    current_sender_ = sender.get();
    dialog_hold_.unlock();
    try {
        sender->send_async(outgoing, number_, u"2201", this);
        dialog->run();
    } catch (...) {
        dialog_hold_.lock();
        current_dialog_ = nullptr;
        current_sender_ = nullptr;
        sender->settle();
        senders_.push_back(std::move(sender));
        throw;
    }
    // From here on the worker can no longer reach the dialog.
    dialog_hold_.lock();
    current_dialog_ = nullptr;
    current_sender_ = nullptr;
    dialog.reset();
    // The worker's own outcome when it has one, whoever ended the dialog first. After the user's cancel while it
    // still works, the request is withdrawn: what has not been handed to the modem never leaves, and what has
    // may have left. The worker goes on to its end and is joined later.
    const send_outcome_t outcome = sender->settle();
    senders_.push_back(std::move(sender));
    if (send_ended_) send_ended_();
    return outcome;
}

void ppc_messaging_t::end_dialog(const sms_messaging_api_t* from, bool sent) {
    std::unique_lock hold(dialog_lock_, 10ms);
    if (!hold.owns_lock() || !current_dialog_ || current_sender_ != from) return;
    if (sent)
        current_dialog_->end_success();
    else
        current_dialog_->end_cancel();
}

void ppc_messaging_t::on_messages(std::vector<std::u16string> texts, seen_t seen) {
    for (auto& text : texts) remove_bank_markers(text);
    if (application_) application_->confirm_messages(std::move(texts), *rule_, std::move(seen));
}

bool ppc_messaging_t::start_watch(confirm_handler_t& application) {
    application_ = &application;
    watch_->set_handler(this);
    return watch_->start_watch();
}

void ppc_messaging_t::deliver() {
    watch_->deliver();
}
