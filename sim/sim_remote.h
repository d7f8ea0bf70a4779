#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/modem/modem_clock.h"

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
    // Every answer comes `delay` late from now on.
    void slow_down(modem_time_t delay);
    // Faults of the next send (sim_fault_t): the network takes the request and the acknowledgement is lost (the
    // bank answers `bank_late` later than usual); it
    // ends in +CMS ERROR: `code` after the PDU; the link drops after the PDU; part `part` of a long request is
    // refused after the parts before it went.
    void lose_next_acknowledgement(modem_time_t bank_late);
    void fail_next_after_pdu(int code);
    void drop_link_mid_send();
    void refuse_part(int part);
    // Runs what was posted, in order; called on the modem's thread.
    void run(sim_modem_t& modem);

private:
    std::mutex mutex_;
    std::vector<std::function<void(sim_modem_t&)>> pending_;
};
