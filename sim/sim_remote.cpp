#include "sim/sim_remote.h"

#include "core/moment_trace.h"
#include "core/u16.h"
#include "sim/remote_sim_peer.h"
#include "sim/sim_bank.h"

namespace {

// A refusal that proves nothing left: the service does not try again.
constexpr long refused_send = 330;

}  // namespace

void sim_remote_t::post(std::function<void(sim_modem_t&)> action) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(action));
    }
    posted_.signal();
}

void sim_remote_t::run(sim_modem_t& modem) {
    std::vector<std::function<void(sim_modem_t&)>> due;
    posted_.clear();  // before taking: a post from here on is run now or wakes the next wait
    {
        std::lock_guard lock(mutex_);
        due.swap(pending_);
    }
    for (auto& action : due) action(modem);
}

void sim_remote_t::bank_sends(const std::string& text) {
    post([text = from_utf8(text)](sim_modem_t& modem) {
        modem.deliver(from_utf8(modem.bank_number()), text);
        moment_trace::mark("bank message at modem");  // its indication is on the line
    });
}

void sim_remote_t::fail_next_send() {
    post([](sim_modem_t& modem) { modem.inject({sim_fault_t::cms_error, refused_send}); });
}

void sim_remote_t::slow_down(modem_time_t delay) {
    post([delay](sim_modem_t& modem) { modem.set_answer_delay(delay); });
}

void sim_remote_t::lose_next_acknowledgement(modem_time_t bank_late) {
    post([bank_late](sim_modem_t& modem) { modem.inject({sim_fault_t::lost_acknowledgement, bank_late.count()}); });
}

void sim_remote_t::fail_next_after_pdu(int code) {
    post([code](sim_modem_t& modem) { modem.inject({sim_fault_t::cms_error, code}); });
}

void sim_remote_t::drop_link_mid_send() {
    post([](sim_modem_t& modem) { modem.inject({sim_fault_t::hang_up_after_pdu}); });
}

void sim_remote_t::refuse_part(int part) {
    post([part](sim_modem_t& modem) { modem.inject({sim_fault_t::refuse_later_part, part}); });
}

void sim_remote_t::hang_up() {
    post([](sim_modem_t& modem) { modem.hang_up(); });
}

void sim_remote_t::plug_in() {
    post([](sim_modem_t& modem) { modem.plug_in(); });
}

bool sim_remote_t::receive_fault(const std::string& name) {
    if (name == "repeat") {
        post([](sim_modem_t& modem) { modem.inject({sim_fault_t::repeat_delivery}); });
    } else if (name == "reused-reference") {
        post([](sim_modem_t& modem) {
            modem.deliver_reused_reference(from_utf8(modem.bank_number()), sim_texts::reused_first,
                                           sim_texts::reused_second, std::chrono::seconds(120));
        });
    } else if (name == "early-repeat") {
        post([](sim_modem_t& modem) {
            modem.deliver_with_early_repeat(from_utf8(modem.bank_number()), sim_texts::early_repeat);
        });
    } else if (name == "confirm-during-send") {
        post([](sim_modem_t& modem) {
            modem.inject({sim_fault_t::cmti_during_send, 0, to_utf8(sim_texts::confirm_during_send)});
        });
    } else if (name == "listing-garbage") {
        post([](sim_modem_t& modem) { modem.inject({sim_fault_t::listing_garbage}); });
    } else if (name == "full-storage") {
        post([](sim_modem_t& modem) { modem.inject({sim_fault_t::full_storage}); });
    } else if (name == "waiting-two-part" || name == "class2-on-sim") {
        std::lock_guard lock(mutex_);
        next_start_.push_back([two = name == "waiting-two-part"](sim_modem_t& modem) {
            if (two)
                modem.store_waiting(from_utf8(modem.bank_number()), sim_texts::two_part_waiting);
            else
                modem.store_waiting(from_utf8(modem.bank_number()), sim_texts::class2_waiting, 2);
        });
    } else {
        return false;
    }
    return true;
}

void sim_remote_t::prepare(sim_modem_t& modem) {
    std::vector<std::function<void(sim_modem_t&)>> due;
    {
        std::lock_guard lock(mutex_);
        due.swap(next_start_);
    }
    for (auto& action : due) action(modem);
}

void remote_sim_peer_t::receive(std::string_view bytes) {
    remote_->run(*modem_);
    // A message's PDU, ended by Ctrl-Z, comes in one write: this is when its first byte reaches the modem.
    if (bytes.ends_with('\x1a')) moment_trace::mark("PDU at modem");
    modem_->receive(bytes);
}

std::string remote_sim_peer_t::take_output() {
    remote_->run(*modem_);
    return modem_->take_output();
}

std::optional<modem_time_t> remote_sim_peer_t::next_event() {
    remote_->run(*modem_);
    return modem_->next_event();
}

void remote_sim_peer_t::advance(modem_time_t now) {
    remote_->run(*modem_);
    modem_->advance(now);
}

bool remote_sim_peer_t::connected() {
    remote_->run(*modem_);
    return modem_->connected();
}

int remote_sim_peer_t::wake_fd() {
    return remote_->wake_fd();
}
