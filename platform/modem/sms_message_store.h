#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/modem/sms_ledger.h"

class sms_backend_t;

// The device's message store, on the modem: one store named "SMS" whose inbox holds the incoming
// messages with our own read flag (the ledger), and a notification when an object is created in it.
// The messaging code logs on, opens the store and its inbox, lists the unread messages, sets the read
// flag of those it handled, and registers a sink for new messages. The modem service must outlive it.
class sms_message_store_t {
public:
    static constexpr char16_t sms_store_name[] = u"SMS";

    explicit sms_message_store_t(sms_backend_t& modem);
    ~sms_message_store_t();
    sms_message_store_t(const sms_message_store_t&) = delete;
    sms_message_store_t& operator=(const sms_message_store_t&) = delete;

    // Logs on: false when the store cannot be used (its ledger cannot be written).
    bool logon();
    std::vector<std::u16string> store_names() const { return {sms_store_name}; }
    // Opens the named store and its inbox; false for any name but "SMS".
    bool open_inbox(std::u16string_view store);

    // The inbox's messages in order of arrival, with their read flags.
    std::vector<inbox_message_t> messages() const;
    // Sets the read flag; it is on disk when this returns true.
    bool set_read(const std::string& id);
    // Which incoming texts the store takes from the modem (sms_backend_t::set_intake).
    void set_intake(sms_intake_filter_t intake);

    // Registers a sink called when a message is created in the store. Sinks run on the store's own
    // notification thread, never on the modem's, so a sink may send an SMS. Returns the connection (>0).
    int advise(std::function<void()> sink);
    // Unregisters a sink; when it returns, the sink has finished and is not called again.
    void unadvise(int connection);

private:
    void notifier();

    sms_backend_t& modem_;
    bool open_ = false;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<int, std::function<void()>> sinks_;
    int next_connection_ = 1;
    unsigned pending_ = 0;
    bool notifying_ = false;
    bool stopping_ = false;
    std::thread thread_;
};
