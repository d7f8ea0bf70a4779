#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/scenario/scenario_file.h"
#include "app/scenario/scenario_steps.h"

class CKestrelpodApp;
class QWidget;
class sim_remote_t;

// Runs the program as a user would walk it through a scenario: the same start-up, screens and messaging, driven
// by key presses and clicks on the real widgets, with a transcript of what the screen showed. Each step is done
// by its handler (scenario_steps.h), which waits for the screen it needs; actions are queued on the event loop,
// so that a step opening a modal loop leaves the driver running inside it.
class scenario_runner_t : public QObject, private scenario_host_t {
public:
    // How long a step waits for the screen it needs, and how long the waiting steps (an SMS, a bank message,
    // a send in progress) wait.
    static constexpr std::chrono::milliseconds screen_wait{3'000};
    static constexpr std::chrono::milliseconds long_wait{10'000};
    // However busy the screen keeps, a step waits no longer than this.
    static constexpr std::chrono::milliseconds longest_wait{30'000};

    scenario_runner_t(std::string file_name, std::vector<scenario_step_t> steps, std::ostream& out);
    ~scenario_runner_t() override;

    // Starts the program (again after each restart) and walks every step. 0: every expectation held; 1: one
    // did not, or the program ended before the last step.
    int run(const app_options_t& options, std::optional<std::string> screenshots);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // scenario_host_t
    scenario_screen_t screen() override;
    bool screen_late() override;
    bool long_late() override;
    void act(std::function<void()> action) override;
    void fail(const std::string& message) override;
    void say(const std::string& line) override;
    void show_values() override;
    std::optional<std::string> next_sms() override;
    bool take_bank_message() override;
    sim_remote_t* remote() override { return remote_.get(); }
    std::optional<std::string> screenshots() override { return screenshots_; }
    void end_run(bool restart) override;

    // When the driver looks at the screen: whenever something happens on it (a window shown or hidden, a control
    // painted, the focus moved; see eventFilter), when an SMS leaves or a bank message arrives, and when a step's
    // time runs out; never on a clock of its own. Many calls before the event loop's next turn look once.
    void schedule_tick();
    // Wakes the driver when the step's time to wait runs out.
    void arm_deadline();

    void tick();
    void next_step();
    void fail_at(const scenario_step_t* step, const std::string& message);
    // Ends the current start: every modal screen is backed out of, then the event loop ends.
    void wind_down();
    // Writes the screen into the transcript when it is new.
    void report_screen();

    std::string file_name_;
    std::vector<scenario_step_t> steps_;
    std::ostream& out_;
    std::optional<std::string> screenshots_;
    std::shared_ptr<sim_remote_t> remote_;
    bool simulated_ = true;

    CKestrelpodApp* app_ = nullptr;
    QTimer deadline_;
    bool tick_queued_ = false;
    bool driving_ = false;
    // The event loop has had a turn since the step started, so that the screen it acts on is the one its
    // predecessor led to.
    bool step_had_turn_ = false;
    step_progress_t progress_;
    size_t next_ = 0;
    std::chrono::steady_clock::time_point step_started_;
    std::chrono::steady_clock::time_point last_change_;  // of what the screen shows
    bool action_queued_ = false;
    bool ending_ = false;
    bool restart_ = false;
    bool failed_ = false;
    bool event_loop_running_ = false;
    bool announced_ = false;  // the step is in the transcript

    // What the screen showed last, so that each screen is written to the transcript once.
    QPointer<QWidget> reported_window_;
    std::string reported_text_;
    std::string printed_text_;

    // Filled by the sending thread.
    std::mutex sent_mutex_;
    std::vector<std::string> sent_;
    size_t sent_checked_ = 0;
    size_t bank_shown_ = 0;
    size_t bank_waited_ = 0;
};
