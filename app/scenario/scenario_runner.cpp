#include "app/scenario/scenario_runner.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <iostream>

#include "app/cancel_sms_dialog.h"
#include "app/kestrelpod_app.h"
#include "app/main_frame.h"
#include "app/scenario/scenario_text.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "sim/sim_remote.h"

namespace {

using kind_t = scenario_step_t::kind_t;
// How long the simulated modem is given to acknowledge a request, so that a lost acknowledgement is found within
// a step's wait.
constexpr modem_time_t scenario_send_answer_wait{5'000};

}  // namespace

scenario_runner_t::scenario_runner_t(std::string file_name, std::vector<scenario_step_t> steps, std::ostream& out)
    : file_name_(std::move(file_name)), steps_(std::move(steps)), out_(out) {
    deadline_.setSingleShot(true);
    connect(&deadline_, &QTimer::timeout, this, [this] { schedule_tick(); });
}

scenario_runner_t::~scenario_runner_t() = default;

int scenario_runner_t::run(const app_options_t& options, std::optional<std::string> screenshots) {
    screenshots_ = std::move(screenshots);
    simulated_ = options.modem == "sim";
    if (!simulated_)
        for (const auto& step : steps_)
            if (step.kind == kind_t::bank || step.kind == kind_t::modem) {
                fail_at(&step, scenario_text(texts::scenario_needs_sim_modem));
                return 1;
            }
    if (simulated_) remote_ = std::make_shared<sim_remote_t>();
    for (;;) {
        restart_ = false;
        ending_ = false;
        auto app = std::make_unique<CKestrelpodApp>(options);
        modem_messaging_hooks_t hooks;
        hooks.remote = remote_;
        if (simulated_) hooks.send_answer_wait = scenario_send_answer_wait;
        hooks.on_send = [this](const std::u16string& number, const std::u16string& text, send_outcome_t outcome) {
            {
                std::lock_guard lock(sent_mutex_);
                sent_.push_back(to_utf8(text));
                out_ << scenario_text(texts::scenario_sms_out, {to_utf8(number), to_utf8(text)})
                     << (outcome == send_outcome_t::sent       ? ""
                         : outcome == send_outcome_t::not_sent ? scenario_text(texts::scenario_sms_not_taken)
                                                               : scenario_text(texts::scenario_sms_unknown))
                     << std::endl;
            }
            // From the sending thread: the driver looks at it on its own thread.
            QMetaObject::invokeMethod(
                this, [this] { schedule_tick(); }, Qt::QueuedConnection);
        };
        app->set_messaging_hooks(hooks);
        app->set_bank_text_observer([this](const std::u16string& text) {
            ++bank_shown_;
            out_ << scenario_text(texts::scenario_sms_in, {to_utf8(text)}) << std::endl;
            schedule_tick();
        });
        app_ = app.get();
        if (!app->init_application()) {
            fail_at(nullptr, scenario_text(texts::scenario_already_running));
            return 1;
        }
        out_ << scenario_text(texts::scenario_started) << std::endl;
        step_started_ = std::chrono::steady_clock::now();
        driving_ = true;
        qApp->installEventFilter(this);
        schedule_tick();
        const bool started = app->init_instance();
        if (started && !ending_) {
            event_loop_running_ = true;
            QApplication::exec();
            event_loop_running_ = false;
        }
        // What the exit shows (a failed save) is written down and backed out of.
        ending_ = true;
        app->exit_instance();
        qApp->removeEventFilter(this);
        driving_ = false;
        deadline_.stop();
        report_screen();
        app_ = nullptr;
        app.reset();
        if (failed_) return 1;
        if (restart_) continue;
        if (next_ < steps_.size()) {
            fail_at(&steps_[next_], scenario_text(texts::scenario_ended_early, {screen().seen()}));
            return 1;
        }
        out_ << scenario_text(texts::scenario_all_held) << std::endl;
        return 0;
    }
}

void scenario_runner_t::fail_at(const scenario_step_t* step, const std::string& message) {
    const std::string where = file_name_ + ":" + (step ? std::to_string(step->line) + ":" : std::string());
    out_ << where << " " << message << std::endl;
    if (&out_ != &std::cerr) std::cerr << where << " " << message << std::endl;
    failed_ = true;
    wind_down();
}

void scenario_runner_t::wind_down() {
    ending_ = true;
    // Backed out at once, not at whatever happens on the screen next.
    schedule_tick();
}

// The driver's waiting: it sleeps in the event loop and is woken by what may change the screen, by the sending
// thread and the bank's messages (run), and by the deadline of the step's wait.

void scenario_runner_t::schedule_tick() {
    if (tick_queued_ || !driving_) return;
    tick_queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            tick_queued_ = false;
            if (driving_) tick();
        },
        Qt::QueuedConnection);
}

bool scenario_runner_t::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::Close:
        case QEvent::FocusIn:
        case QEvent::WindowActivate:
        case QEvent::Paint:
            // What the screen shows may have changed.
            if (watched->isWidgetType()) schedule_tick();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void scenario_runner_t::arm_deadline() {
    // The next moment a waiting step may have to give up: the screen's time, a send's time, the longest time.
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const auto since_change = std::max(step_started_, last_change_);
    steady_clock::time_point next = step_started_ + longest_wait;
    for (const auto at : {since_change + screen_wait, since_change + long_wait, step_started_ + long_wait})
        if (at > now) next = std::min(next, at);
    const auto wait = duration_cast<milliseconds>(next - now) + milliseconds(1);
    deadline_.start(static_cast<int>(std::max<milliseconds::rep>(1, wait.count())));
}

// The host of the steps.

scenario_screen_t scenario_runner_t::screen() {
    return look_at_screen(app_ ? app_->frame() : nullptr);
}

bool scenario_runner_t::screen_late() {
    // The screen is given its time from the step's start or from its last change, whichever came later, so that
    // a slow machine that is still getting on is waited for; a send in progress is given longer.
    const auto now = std::chrono::steady_clock::now();
    if (now - step_started_ > longest_wait) return true;
    const bool sending = qobject_cast<cancel_sms_dialog_t*>(QApplication::activeModalWidget()) != nullptr;
    return now - std::max(step_started_, last_change_) > (sending ? long_wait : screen_wait);
}

bool scenario_runner_t::long_late() {
    return std::chrono::steady_clock::now() - step_started_ > long_wait;
}

void scenario_runner_t::act(std::function<void()> action) {
    action_queued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, action = std::move(action)] {
            action_queued_ = false;
            // Looked at again after the action, also when it opens a modal loop of its own.
            schedule_tick();
            action();
        },
        Qt::QueuedConnection);
}

void scenario_runner_t::fail(const std::string& message) {
    fail_at(next_ < steps_.size() ? &steps_[next_] : nullptr, message);
}

void scenario_runner_t::say(const std::string& line) {
    out_ << line << std::endl;
}

std::optional<std::string> scenario_runner_t::next_sms() {
    std::lock_guard lock(sent_mutex_);
    if (sent_checked_ >= sent_.size()) return std::nullopt;
    return sent_[sent_checked_++];
}

bool scenario_runner_t::take_bank_message() {
    if (bank_waited_ >= bank_shown_) return false;
    ++bank_waited_;
    return true;
}

void scenario_runner_t::end_run(bool restart) {
    restart_ = restart;
    wind_down();
}

void scenario_runner_t::report_screen() {
    const scenario_screen_t now = screen();
    if (!now.window) return;
    const std::string text = now.transcript();
    if (now.window == reported_window_ && text == reported_text_) return;
    // A screen already shown is written again only when its values changed and it is about to be acted on.
    last_change_ = std::chrono::steady_clock::now();
    if (now.window == reported_window_ && !now.alert) {
        reported_text_ = text;
        return;
    }
    reported_window_ = now.window;
    printed_text_ = reported_text_ = text;
    out_ << text << std::flush;
}

void scenario_runner_t::show_values() {
    // What is about to be sent or kept, as the screen shows it, when it changed since the screen was written.
    const scenario_screen_t now = screen();
    if (!now.window || reported_window_ != now.window) return;
    const std::string text = now.transcript();
    if (text == printed_text_) return;
    printed_text_ = reported_text_ = text;
    out_ << text << std::flush;
}

void scenario_runner_t::tick() {
    if (action_queued_ || !app_) return;
    arm_deadline();
    report_screen();
    if (ending_) {
        // Backs out of every screen over the main window, then ends the event loop.
        if (auto* popup = QApplication::activePopupWidget()) {
            popup->close();
            return;
        }
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            act([dialog = QPointer<QDialog>(modal)] {
                if (dialog) dialog->reject();
            });
            return;
        }
        if (event_loop_running_) QApplication::exit(0);
        return;
    }
    if (next_ >= steps_.size()) {
        wind_down();
        return;
    }
    const scenario_step_t& step = steps_[next_];
    if (!step_had_turn_) {
        // The screen a step acts on has had a turn to appear.
        step_had_turn_ = true;
        schedule_tick();
        return;
    }
    // A field's value is written once the field is found, masked when the field masks it.
    if (!announced_ && step.kind != kind_t::fill) {
        out_ << "> " << (step.kind == kind_t::pin ? "pin ****" : step.text) << std::endl;
        announced_ = true;
    }
    const step_outcome_t outcome = perform_step(*this, step, progress_);
    if (failed_ || outcome == step_outcome_t::waiting) return;
    next_step();
}

void scenario_runner_t::next_step() {
    ++next_;
    progress_ = {};
    announced_ = false;
    step_had_turn_ = false;
    step_started_ = std::chrono::steady_clock::now();
    schedule_tick();
}
