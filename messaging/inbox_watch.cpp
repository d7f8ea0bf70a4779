#include "messaging/inbox_watch.h"

#include "messaging/notify.h"
#include "messaging/ppc_mapi_ex.h"
#include "messaging/sms_handler.h"
#include "messaging/sms_rule.h"
#include "resources/texts.h"

inbox_watch_t::inbox_watch_t(mapi_library_t& library, sms_rule_t* rule, bool advise_at_construction)
    : library_(library), rule_(rule) {
    try {
        open(advise_at_construction);
    } catch (...) {
        close();
        throw;
    }
}

inbox_watch_t::~inbox_watch_t() {
    close();
}

void inbox_watch_t::open(bool advise_at_construction) {
    if (!library_.initialize()) throw ppc_mapi_ex_t(texts::mapi_init_failed);
    initialized_ = true;
    logon_ = library_.logon();
    if (!logon_) throw ppc_mapi_ex_t(texts::mapi_logon_failed);
    auto table = logon_->store_table();
    if (!table) throw ppc_mapi_ex_t(texts::mapi_no_table);
    constexpr uint32_t columns[] = {pr_display_name, pr_entry_id};
    if (!table->set_columns(columns)) throw ppc_mapi_ex_t(texts::mapi_columns_failed);
    for (;;) {
        auto row = table->query_row();
        if (!row) throw ppc_mapi_ex_t(texts::mapi_no_store);
        if (row->display_name != u"SMS") continue;
        if (!logon_->open_store(row->entry_id, store_)) throw ppc_mapi_ex_t(texts::mapi_store_open_failed);
        if (!store_) throw ppc_mapi_ex_t(texts::mapi_no_sms_account);
        break;
    }
    open_folder(pr_inbox_entry_id, inbox_);
    open_folder(pr_second_folder_entry_id, second_folder_);
    if (advise_at_construction && !start_watch()) throw ppc_mapi_ex_t(texts::mapi_advise_failed);
    std::lock_guard hold(acknowledger_->lock);
    acknowledger_->watch = this;
}

void inbox_watch_t::open_folder(uint32_t property, std::unique_ptr<mapi_folder_t>& folder) {
    auto id = store_->get_binary(property);
    if (!id) throw ppc_mapi_ex_t(texts::mapi_no_folder_id);
    folder = store_->open_folder(*id);
    if (!folder) throw ppc_mapi_ex_t(texts::mapi_folder_open_failed);
}

void inbox_watch_t::close() {
    {
        // A batch acknowledged from now on reaches nothing; one being acknowledged is waited for.
        std::lock_guard hold(acknowledger_->lock);
        acknowledger_->watch = nullptr;
    }
    if (connection_ != 0) {
        store_->unadvise(connection_);
        connection_ = 0;
    }
    if (sink_) {
        sink_->release();
        sink_ = nullptr;
    }
    inbox_.reset();
    second_folder_.reset();
    store_.reset();
    if (logon_) {
        logon_->logoff();
        logon_.reset();
    }
    if (initialized_) {
        library_.uninitialize();
        initialized_ = false;
    }
}

bool inbox_watch_t::start_watch() {
    if (!logon_ || !store_ || sink_) return true;
    sink_ = new notify_t(this);
    sink_->add_ref();
    auto connection = store_->advise(event_object_created, sink_);
    if (!connection) {
        sink_->release();
        sink_ = nullptr;
        return false;
    }
    connection_ = *connection;
    return true;
}

inbox_watch_t::collected_t inbox_watch_t::collect_new() {
    collected_t out;
    auto count = inbox_->open_contents();
    if (!count) return out;
    for (uint32_t i = 0; i < *count; ++i) {
        auto id = inbox_->query_row();
        if (!id) break;
        auto message = inbox_->open_entry(*id);
        if (!message) break;
        if (message->object_type() != object_type_message) continue;
        auto subject = message->subject();
        auto flags = message->flags();
        if (!subject || !flags) continue;
        if (!rule_ || (*flags & message_flag_read) != 0 || handed_.contains(*id)) continue;
        if (!rule_->match(*subject)) continue;
        // Not marked read here: only once the user has seen it, so that a crash in between loses nothing.
        out.texts.push_back(std::move(*subject));
        out.ids.push_back(*id);
    }
    return out;
}

void inbox_watch_t::deliver() {
    collected_t batch;
    sms_handler_t* handler = handler_;
    {
        std::lock_guard walk(walk_lock_);
        if (!handler) return;
        batch = collect_new();
        handed_.insert(batch.ids.begin(), batch.ids.end());
    }
    if (batch.texts.empty()) return;
    seen_t seen = [acknowledger = std::weak_ptr<acknowledger_t>(acknowledger_), ids = std::move(batch.ids)](size_t i) {
        const auto alive = acknowledger.lock();
        if (!alive || i >= ids.size()) return;
        std::lock_guard hold(alive->lock);
        if (alive->watch) alive->watch->mark_seen(ids[i]);
    };
    handler->on_messages(std::move(batch.texts), std::move(seen));
}

bool inbox_watch_t::mark_seen(const entry_id_t& id) {
    std::lock_guard walk(walk_lock_);
    if (!inbox_ || !inbox_->open_contents()) return false;
    auto message = inbox_->open_entry(id);
    if (!message) return false;
    auto flags = message->flags();
    // A message whose read bit cannot be set stays with the handler: not shown again in this run, shown again
    // at the next start rather than lost.
    return flags && message->set_flags(*flags | message_flag_read);
}
