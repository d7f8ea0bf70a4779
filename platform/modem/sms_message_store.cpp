#include "platform/modem/sms_message_store.h"

#include "platform/modem/sms_backend.h"

sms_message_store_t::sms_message_store_t(sms_backend_t& modem) : modem_(modem) {}

sms_message_store_t::~sms_message_store_t() {
    modem_.on_new_messages(nullptr);
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool sms_message_store_t::logon() {
    // A store whose ledger cannot be written could never let the modem's copies go: unusable. A damaged
    // ledger was set aside with a warning and does not stop the logon.
    return !modem_.ledger().save();
}

bool sms_message_store_t::open_inbox(std::u16string_view store) {
    if (store != sms_store_name) return false;
    open_ = true;
    return true;
}

std::vector<inbox_message_t> sms_message_store_t::messages() const {
    return open_ ? modem_.ledger().messages() : std::vector<inbox_message_t>{};
}

bool sms_message_store_t::set_read(const std::string& id) {
    return open_ && modem_.ledger().set_read(id);
}

void sms_message_store_t::set_intake(sms_intake_filter_t intake) {
    modem_.set_intake(std::move(intake));
}

int sms_message_store_t::advise(std::function<void()> sink) {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { notifier(); });
        modem_.on_new_messages([this] {
            {
                std::lock_guard pending_lock(mutex_);
                ++pending_;
            }
            changed_.notify_all();
        });
    }
    sinks_[next_connection_] = std::move(sink);
    return next_connection_++;
}

void sms_message_store_t::unadvise(int connection) {
    std::unique_lock lock(mutex_);
    sinks_.erase(connection);
    // Once this returns, the sink is not running and will not run again (unless it unadvises itself).
    if (std::this_thread::get_id() != thread_.get_id()) changed_.wait(lock, [this] { return !notifying_; });
}

void sms_message_store_t::notifier() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || pending_ > 0; });
        if (stopping_) return;
        pending_ = 0;  // one walk of the inbox covers every event so far
        const auto sinks = sinks_;
        notifying_ = true;
        lock.unlock();
        for (const auto& [connection, sink] : sinks) sink();
        lock.lock();
        notifying_ = false;
        changed_.notify_all();
    }
}
