#include "platform/modem/backend_listeners.h"

void backend_listeners_t::on_new_messages(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    new_messages_ = std::move(handler);
}

void backend_listeners_t::new_messages() const {
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = new_messages_;
    }
    if (handler) handler();
}

void backend_listeners_t::on_notice(std::function<void(const std::u16string&)> handler) {
    std::vector<std::u16string> waiting;
    {
        std::lock_guard lock(mutex_);
        notice_handler_ = handler;
        if (handler) waiting.swap(untold_);
    }
    for (const auto& notice : waiting) handler(notice);
}

void backend_listeners_t::tell(const std::u16string& notice) {
    std::function<void(const std::u16string&)> handler;
    {
        std::lock_guard lock(mutex_);
        if (!told_.insert(notice).second) return;
        handler = notice_handler_;
        if (!handler) {
            untold_.push_back(notice);
            return;
        }
    }
    handler(notice);
}

void backend_listeners_t::cleared(const std::u16string& notice) {
    std::lock_guard lock(mutex_);
    told_.erase(notice);
}
