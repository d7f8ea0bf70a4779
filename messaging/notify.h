#pragma once

#include <atomic>

#include "messaging/message_store.h"

class inbox_watch_t;

// The inbox watch's callback object: a created object in the store makes the watch walk the inbox.
// It deletes itself when its last reference goes; the creator adds the first one.
class notify_t final : public advise_sink_t {
public:
    explicit notify_t(inbox_watch_t* watch) : watch_(watch) {}

    int32_t query_interface() override { return result_not_implemented; }
    uint32_t add_ref() override;
    uint32_t release() override;
    int32_t on_notify(std::span<const notification_t> notifications) override;

private:
    ~notify_t() override = default;

    // Changed from the store's thread and the user-interface thread, hence atomic.
    std::atomic<uint32_t> references_{0};
    inbox_watch_t* watch_;
};
