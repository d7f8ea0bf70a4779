#include "messaging/notify.h"

#include "messaging/inbox_watch.h"

uint32_t notify_t::add_ref() {
    return ++references_;
}

uint32_t notify_t::release() {
    uint32_t count = references_.load();
    do {
        if (count == 0) return 0;  // an extra release does nothing
    } while (!references_.compare_exchange_weak(count, count - 1));
    if (count == 1) delete this;
    return count - 1;
}

int32_t notify_t::on_notify(std::span<const notification_t> notifications) {
    // One walk of the inbox covers every notification of the call.
    if (!notifications.empty() && notifications.front().event_type == event_object_created) watch_->deliver();
    return 0;
}
