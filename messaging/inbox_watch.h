#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "messaging/message_store.h"

class notify_t;
class sms_handler_t;
class sms_rule_t;

// Watches the inbox of the store named "SMS": every unread message that the rule accepts is marked read and
// handed to the handler, once at start-up and again whenever the store reports a created object.
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
    // The texts of the unread messages the rule accepts, marked read. A walk that fails part-way still
    // gives what it collected, since those messages are already marked read.
    std::vector<std::u16string> collect_new();
    // Walks the inbox and hands a non-empty batch to the handler.
    void deliver();

private:
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
};
