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
}

void inbox_watch_t::open_folder(uint32_t property, std::unique_ptr<mapi_folder_t>& folder) {
    auto id = store_->get_binary(property);
    if (!id) throw ppc_mapi_ex_t(texts::mapi_no_folder_id);
    folder = store_->open_folder(*id);
    if (!folder) throw ppc_mapi_ex_t(texts::mapi_folder_open_failed);
}

void inbox_watch_t::close() {
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

std::vector<std::u16string> inbox_watch_t::collect_new() {
    std::lock_guard walk(walk_lock_);
    std::vector<std::u16string> texts;
    auto count = inbox_->open_contents();
    if (!count) return texts;
    for (uint32_t i = 0; i < *count; ++i) {
        auto id = inbox_->query_row();
        if (!id) break;
        auto message = inbox_->open_entry(*id);
        if (!message) break;
        if (message->object_type() != object_type_message) continue;
        auto subject = message->subject();
        auto flags = message->flags();
        if (!subject || !flags) continue;
        if (!rule_ || (*flags & message_flag_read) != 0) continue;
        if (!rule_->match(*subject)) continue;
        texts.push_back(std::move(*subject));
        // A message whose read bit cannot be set stays in the batch: shown twice is better than lost.
        if (auto again = message->flags()) message->set_flags(*again | message_flag_read);
    }
    return texts;
}

void inbox_watch_t::deliver() {
    auto texts = collect_new();
    sms_handler_t* handler = handler_;
    if (handler && !texts.empty()) handler->on_messages(std::move(texts));
}
