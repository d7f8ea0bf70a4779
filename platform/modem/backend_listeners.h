#pragma once

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// Who listens to an SMS backend: the handler of new messages, and the handler of the user's notices. Each notice
// is told once a run; notices found before their handler is set wait for it. Any thread; the handlers are called
// without the lock held.
class backend_listeners_t {
public:
    void on_new_messages(std::function<void()> handler);
    void new_messages() const;
    void on_notice(std::function<void(const std::u16string&)> handler);
    void tell(const std::u16string& notice);
    // A condition that cleared: should it come back, it is told again.
    void cleared(const std::u16string& notice);

private:
    mutable std::mutex mutex_;
    std::function<void()> new_messages_;
    std::function<void(const std::u16string&)> notice_handler_;
    std::vector<std::u16string> untold_;  // found before a handler was set
    std::set<std::u16string> told_;
};
