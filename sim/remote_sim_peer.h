#pragma once

#include <memory>

#include "sim/sim_modem.h"
#include "sim/sim_remote.h"

// The simulated modem as a link's far end's far end, running what `remote` posted before each of its turns.
class remote_sim_peer_t : public modem_peer_t {
public:
    remote_sim_peer_t(std::shared_ptr<sim_modem_t> modem, std::shared_ptr<sim_remote_t> remote)
        : modem_(std::move(modem)), remote_(std::move(remote)) {}

    void receive(std::string_view bytes) override;
    std::string take_output() override;
    std::optional<modem_time_t> next_event() override;
    void advance(modem_time_t now) override;
    bool connected() override;
    int wake_fd() override;

private:
    std::shared_ptr<sim_modem_t> modem_;
    std::shared_ptr<sim_remote_t> remote_;
};
