#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/scenario/scenario_file.h"
#include "app/scenario/scenario_screen.h"

class sim_remote_t;

// What a step's handler may see and do: the screen, the user's actions, the transcript, and the program's
// messaging. The runner is the host of the program; a test of the handlers is a host of its own.
class scenario_host_t {
public:
    virtual ~scenario_host_t() = default;

    // The screen as it is now.
    virtual scenario_screen_t screen() = 0;
    // The screen a step waits for is overdue; a step that waits for the modem or the bank waits longer.
    virtual bool screen_late() = 0;
    virtual bool long_late() = 0;
    // Queues a user's action on the event loop, so that an action that opens a modal loop leaves the driver
    // running inside it.
    virtual void act(std::function<void()> action) = 0;
    // The current step did not hold: the run ends with this message.
    virtual void fail(const std::string& message) = 0;
    // A line of the transcript.
    virtual void say(const std::string& line) = 0;
    // Writes the screen's values into the transcript when they changed since it was written: what a soft key is
    // about to send or keep.
    virtual void show_values() = 0;
    // The next SMS the program sent that no step has checked yet, whole as it left.
    virtual std::optional<std::string> next_sms() = 0;
    // Takes one bank message that was shown and no step has waited for yet.
    virtual bool take_bank_message() = 0;
    // The simulated modem and bank; null on a real modem.
    virtual sim_remote_t* remote() = 0;
    // Where screenshot steps write; none: they write nothing.
    virtual std::optional<std::string> screenshots() = 0;
    // Ends the current start of the program, to start it again or for good.
    virtual void end_run(bool restart) = 0;
};

// Where a step that takes several looks at the screen has got to; fresh for every step.
struct step_progress_t {
    bool menu_opened = false;    // "Меню" or "Опции" was pressed
    std::size_t menu_depth = 0;  // entries of the menu path chosen so far
    int pick_keys = 0;           // keys sent by a pick, that then waits for the pick to show
};

enum class step_outcome_t { done, waiting };

// One kind of step: looks at the screen, acts or waits. A failure goes to the host; the step then waits for the
// run to end.
using step_handler_t = step_outcome_t (*)(scenario_host_t& host, const scenario_step_t& step,
                                          step_progress_t& progress);

// The handler of each kind of step.
step_handler_t step_handler(scenario_step_t::kind_t kind);

// Runs `step` once on `host`.
inline step_outcome_t perform_step(scenario_host_t& host, const scenario_step_t& step, step_progress_t& progress) {
    return step_handler(step.kind)(host, step, progress);
}
