#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "messaging/message_store.h"

class notify_t;
class sms_handler_t;
class sms_rule_t;

// Watches the inbox of the store named "SMS": every unread message that the rule accepts is handed to the
// handler, once at start-up and again whenever the store reports a created object. A message is marked read
// only when the handler says the user has seen it; until then it is not handed over again in this run, and a
// run that ends first hands it over at the next start.
class inbox_watch_t {
public:
    // Logs on and opens the inbox; throws ppc_mapi_ex_t naming the step that failed. With
    // advise_at_construction the watch also starts at once.
    inbox_watch_t(mapi_library_t& library, sms_rule_t* rule, bool advise_at_construction);
    ~inbox_watch_t();
    inbox_watch_t(const inbox_watch_t&) = delete;
    inbox_watch_t& operator=(const inbox_watch_t&) = delete;

    void set_handler(sms_handler_t* handler) { handler_ = handler; }
    // Registers for created-object events; false when the store refuses.
    bool start_watch();
    // Walks the inbox and hands a non-empty batch of the unread messages the rule accepts, and that are not
    // with the handler already, to the handler.
    void deliver();
    // Marks the message read: the user has seen it. False when the mark cannot be set (it is on disk when true).
    bool mark_seen(const entry_id_t& id);

private:
    struct collected_t {
        std::vector<std::u16string> texts;
        std::vector<entry_id_t> ids;
    };
    // The unread messages the rule accepts that are not with the handler; under walk_lock_.
    collected_t collect_new();
    // Reaches the watch from a batch's acknowledgement, which may come after the watch is gone.
    struct acknowledger_t {
        std::mutex lock;
        inbox_watch_t* watch = nullptr;
    };
    void open(bool advise_at_construction);
    void open_folder(uint32_t property, std::unique_ptr<mapi_folder_t>& folder);
    void close();

    mapi_library_t& library_;
    bool initialized_ = false;
    std::atomic<sms_handler_t*> handler_{nullptr};
    std::unique_ptr<mapi_session_t> logon_;
    std::unique_ptr<mapi_store_t> store_;
    std::unique_ptr<mapi_folder_t> inbox_;
    std::unique_ptr<mapi_folder_t> second_folder_;  // opened and held, not read
    sms_rule_t* rule_;
    notify_t* sink_ = nullptr;
    uint32_t connection_ = 0;
    // A notification may arrive while the start-up walk runs; two walks at once would hand a message twice.
    std::mutex walk_lock_;
    std::set<entry_id_t> handed_;  // with the handler, not yet seen; under walk_lock_
    std::shared_ptr<acknowledger_t> acknowledger_ = std::make_shared<acknowledger_t>();
};
