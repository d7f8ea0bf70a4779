#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/modem/modem_clock.h"
#include "platform/modem/wake_event.h"

class sim_modem_t;

// Reaches the simulated modem from another thread (a test, the scenario runner): what is asked is done on the
// modem's own thread at its next turn, which a post brings about at once: it wakes the modem service's wait.
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
    // A receive-side behaviour by its name in a scenario's `modem` step; false for another name.
    //   repeat            the bank's next message comes twice (another place, or +CMT twice)
    //   reused-reference  the bank sends two long answers under one reference, 120 s apart, parts crosswise
    //   early-repeat      the bank sends a long answer whose last part comes twice, first
    //   confirm-during-send  the bank's confirmation request arrives while the next SMS is being sent
    //   listing-garbage   the next listing of the storage has a line of noise inside
    //   full-storage      the SIM's storage fills up with other people's messages
    //   waiting-two-part  at the next start a 2-part answer of the bank waits in the storage
    //   class2-on-sim     at the next start a class-2 answer of the bank waits on the SIM
    bool receive_fault(const std::string& name);
    // Runs what was kept for the next start on a modem just made, before its first command.
    void prepare(sim_modem_t& modem);
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
    // Readable while something posted waits to run.
    int wake_fd() const { return posted_.fd(); }

private:
    std::mutex mutex_;
    std::vector<std::function<void(sim_modem_t&)>> pending_;
    std::vector<std::function<void(sim_modem_t&)>> next_start_;
    wake_event_t posted_;
};

// The texts the simulated bank sends in the receive-side behaviours; the scenarios expect them.
namespace sim_texts {
inline constexpr char16_t two_part_waiting[] =
    u"Выписка по карте *1234 за декабрь: зачисление 5 000,00 руб., остаток 12 345,67 руб. APP_PORT=2201";
inline constexpr char16_t confirm_during_send[] =
    u"Платёж принят. Для подтверждения отправьте код CFM654321 APP_PORT=2201";
inline constexpr char16_t class2_waiting[] = u"Карта *1234 заблокирована по вашей просьбе. APP_PORT=2201";
inline constexpr char16_t reused_first[] =
    u"Платёж на 100,00 руб. принят. Для подтверждения отправьте код CFM123456 в течение пяти минут, пожалуйста. "
    u"APP_PORT=2201";
inline constexpr char16_t reused_second[] =
    u"Перевод на 250,00 руб. выполнен. Комиссия не взималась. Остаток по карте *1234: 12 095,67 руб. Спасибо! "
    u"APP_PORT=2201";
inline constexpr char16_t early_repeat[] =
    u"Часть первая выписки по карте *1234 за ноябрь. Часть вторая: зачисления 3 000,00 руб. Часть третья: "
    u"списания 1 000,00 руб., остаток 12 345,67 руб. Благодарим за пользование услугами. APP_PORT=2201";
}  // namespace sim_texts
