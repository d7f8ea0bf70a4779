#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class sim_modem_t;

// Reaches the simulated modem from another thread (a test, the scenario runner): what is asked is done on the
// modem's own thread at its next turn, which comes at least every poll of the modem service.
class sim_remote_t {
public:
    void post(std::function<void(sim_modem_t&)> action);
    // The bank sends `text` (UTF-8) now.
    void bank_sends(const std::string& text);
    // The next send is refused by the network, so it fails at once.
    void fail_next_send();
    // The cable is pulled, and put back.
    void hang_up();
    void plug_in();
    // Runs what was posted, in order; called on the modem's thread.
    void run(sim_modem_t& modem);

private:
    std::mutex mutex_;
    std::vector<std::function<void(sim_modem_t&)>> pending_;
};
