#include "app/scenario_runner.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <iostream>

#include "app/cancel_sms_dialog.h"
#include "app/kestrelpod_app.h"
#include "app/main_frame.h"
#include "app/pin_dialogs.h"
#include "app/scenario/scenario_text.h"
#include "app/soft_key_dialog.h"
#include "app/user_input.h"
#include "core/moment_trace.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "sim/sim_remote.h"
#include "ui/ppc/ppc_form.h"
#include "ui/ppc/select_windows.h"

namespace {

using kind_t = scenario_step_t::kind_t;
// "modem slow": how late the simulated modem answers, and how long the modem is given to acknowledge a request
// (so that a lost acknowledgement is found within a step's wait). The bank answers a request whose acknowledgement
// was lost only after the user has been told, so that its answer comes after the user's, as it would in the field.
constexpr modem_time_t slow_answers{4'000};
constexpr modem_time_t scenario_send_answer_wait{5'000};
constexpr modem_time_t bank_late_after_lost_ack{6'000};

std::string u8(const QString& text) {
    return text.toStdString();
}

std::string quoted(const QString& text) {
    return "\"" + u8(text) + "\"";
}

QString menu_text(const QAction* action) {
    QString text = action->text();
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// The controls of a page from top to bottom, left to right.
std::vector<QWidget*> controls_of(QWidget* page) {
    std::vector<QWidget*> out;
    for (QObject* child : page->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isHidden()) out.push_back(widget);
    }
    std::stable_sort(out.begin(), out.end(),
                     [](QWidget* a, QWidget* b) { return a->y() != b->y() ? a->y() < b->y() : a->x() < b->x(); });
    return out;
}

QWidget* page_of(QWidget* window) {
    if (auto* form = qobject_cast<ppc_form_t*>(window)) return form->page();
    return nullptr;
}

// The soft keys of a window: left, right.
std::pair<QPushButton*, QPushButton*> soft_keys_of(QWidget* window) {
    if (auto* form = qobject_cast<ppc_form_t*>(window)) return {form->left_soft_key(), form->right_soft_key()};
    if (auto* dialog = qobject_cast<soft_key_dialog_t*>(window))
        return {dialog->left_soft_key(), dialog->right_soft_key()};
    if (auto* frame = qobject_cast<CMainFrame*>(window)) return {frame->exit_key(), frame->menu_key()};
    return {nullptr, nullptr};
}

QString shown_value(QLineEdit* edit) {
    if (edit->echoMode() == QLineEdit::Normal) return edit->text();
    return QString(edit->text().size(), u'*');
}

// A text item's words without the mark that tells whether it is folded.
QString without_fold_mark(QString text) {
    if (text.startsWith(QStringLiteral("[-]")) || text.startsWith(QStringLiteral("[+]"))) text.remove(0, 3);
    return text;
}

// The controls of the form item under CAPTION: those after its caption, up to the next caption.
std::optional<std::vector<QWidget*>> item_under(ppc_form_t* form, const QString& caption) {
    const std::vector<QWidget*> controls = controls_of(form->page());
    auto at = std::find_if(controls.begin(), controls.end(), [&](QWidget* w) {
        auto* label = qobject_cast<QLabel*>(w);
        return label && label->text() == caption;
    });
    if (at == controls.end()) return std::nullopt;
    std::vector<QWidget*> item;
    for (auto it = at + 1; it != controls.end() && !qobject_cast<QLabel*>(*it); ++it) item.push_back(*it);
    return item;
}

// The entries a list or a choice of a form item offers; none when the item is neither.
std::optional<QStringList> entries_of(const std::vector<QWidget*>& item) {
    QStringList entries;
    bool choice = false;
    for (QWidget* w : item) {
        if (auto* combo = qobject_cast<QComboBox*>(w)) {
            for (int i = 0; i < combo->count(); ++i) entries << combo->itemText(i);
        } else if (auto* spin = qobject_cast<spin_select_control_t*>(w)) {
            for (int i = 0; i < spin->count(); ++i) entries << spin->option(i);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w);
                   button && (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))) {
            entries << button->text();
        } else {
            continue;
        }
        choice = true;
    }
    if (!choice) return std::nullopt;
    return entries;
}

}  // namespace

namespace {

// What the user sees: the window, and a pop-up over it where it is. A pop-up that reaches past the window
// (past the phone's screen) widens the picture, on grey, so that the picture shows it.
QImage screen_picture(QWidget* window) {
    QWidget* popup = window->windowType() == Qt::Popup ? window : nullptr;
    QWidget* base = window;
    if (popup) {
        base = QApplication::activeModalWidget();
        if (!base && popup->parentWidget()) base = popup->parentWidget()->window();
        if (!base || base == popup) return popup->grab().toImage();
    }
    const QRect screen(base->mapToGlobal(QPoint(0, 0)), base->size());
    const QRect over = popup ? QRect(popup->mapToGlobal(QPoint(0, 0)), popup->size()) : screen;
    const QRect all = screen.united(over);
    QImage picture(all.size(), QImage::Format_RGB32);
    picture.fill(Qt::gray);
    QPainter painter(&picture);
    painter.drawPixmap(screen.topLeft() - all.topLeft(), base->grab());
    if (popup) painter.drawPixmap(over.topLeft() - all.topLeft(), popup->grab());
    return picture;
}

}  // namespace

std::string scenario_runner_t::expected_seen(const std::string& expected) const {
    return scenario_text(texts::scenario_expected_seen, {expected, seen()});
}

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
                fail(&step, scenario_text(texts::scenario_needs_sim_modem));
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
            fail(nullptr, scenario_text(texts::scenario_already_running));
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
            fail(&steps_[next_], scenario_text(texts::scenario_ended_early, {seen()}));
            return 1;
        }
        out_ << scenario_text(texts::scenario_all_held) << std::endl;
        return 0;
    }
}

void scenario_runner_t::fail(const scenario_step_t* step, const std::string& message) {
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

QWidget* scenario_runner_t::top_window() const {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return app_ ? app_->frame() : nullptr;
}

std::string scenario_runner_t::seen() const {
    QWidget* window = top_window();
    if (!window) return scenario_text(texts::scenario_nothing);
    if (auto* menu = qobject_cast<QMenu*>(window)) {
        std::string entries;
        for (QAction* action : menu->actions())
            if (!action->isSeparator()) entries += (entries.empty() ? "" : ", ") + quoted(menu_text(action));
        return scenario_text(texts::scenario_menu, {entries});
    }
    if (auto* box = qobject_cast<QMessageBox*>(window))
        return scenario_text(texts::scenario_alert, {quoted(box->text())});
    if (qobject_cast<cancel_sms_dialog_t*>(window)) return scenario_text(texts::scenario_sending_dialog);
    if (auto* form = qobject_cast<ppc_form_t*>(window))
        return scenario_text(texts::scenario_form, {quoted(QString::fromStdU16String(form->title()))});
    if (qobject_cast<CMainFrame*>(window)) return scenario_text(texts::scenario_main_window);
    return scenario_text(texts::scenario_form, {quoted(window->windowTitle())});
}

// What a control of a form shows: a text, a field's value (masked as on the screen), a pick.
QString shown_text(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) return shown_value(edit);
    if (auto* combo = qobject_cast<QComboBox*>(control)) return combo->currentText();
    if (auto* spin = qobject_cast<spin_select_control_t*>(control)) return spin->current_text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return {};
}

std::string scenario_runner_t::snapshot(QWidget* window) const {
    std::string text = scenario_text(texts::scenario_screen, {seen()}) + "\n";
    if (QWidget* page = page_of(window)) {
        for (QWidget* control : controls_of(page)) {
            const std::string shown = u8(shown_text(control));
            std::string line;
            if (qobject_cast<QLabel*>(control))
                line = shown;
            else if (qobject_cast<QLineEdit*>(control))
                line = "[" + shown + "]";
            else if (qobject_cast<QComboBox*>(control))
                line = "[" + shown + " v]";
            else if (qobject_cast<spin_select_control_t*>(control))
                line = "< " + shown + " >";
            else if (auto* radio = qobject_cast<QRadioButton*>(control))
                line = (radio->isChecked() ? "(*) " : "( ) ") + shown;
            else if (auto* box = qobject_cast<QCheckBox*>(control))
                line = (box->isChecked() ? "[x] " : "[ ] ") + shown;
            if (!line.empty()) text += "   " + line + "\n";
        }
    } else if (auto* dialog = qobject_cast<soft_key_dialog_t*>(window)) {
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) text += "   [" + u8(shown_value(edit)) + "]\n";
    }
    const auto [left, right] = soft_keys_of(window);
    std::string keys;
    for (QPushButton* key : {left, right})
        if (key && !key->isHidden()) keys += (keys.empty() ? "" : " | ") + u8(key->text());
    if (!keys.empty()) text += "   " + scenario_text(texts::scenario_soft_keys, {keys}) + "\n";
    return text;
}

void scenario_runner_t::report_screen() {
    QWidget* window = top_window();
    if (!window) return;
    const std::string text = snapshot(window);
    if (window == reported_window_ && text == reported_text_) return;
    // A screen already shown is written again only when its values changed and it is about to be acted on.
    last_change_ = std::chrono::steady_clock::now();
    if (window == reported_window_ && !qobject_cast<QMessageBox*>(window)) {
        reported_text_ = text;
        return;
    }
    reported_window_ = window;
    last_change_ = std::chrono::steady_clock::now();
    printed_text_ = reported_text_ = text;
    out_ << text << std::flush;
}

void scenario_runner_t::show_values(QWidget* window) {
    // What is about to be sent or kept, as the screen shows it, when it changed since the screen was written.
    if (!window || reported_window_ != window) return;
    const std::string text = snapshot(window);
    if (text == printed_text_) return;
    printed_text_ = reported_text_ = text;
    out_ << text << std::flush;
}

bool scenario_runner_t::screen_late() const {
    // The screen is given its time from the step's start or from its last change, whichever came later, so that
    // a slow machine that is still getting on is waited for; a send in progress is given longer.
    const auto now = std::chrono::steady_clock::now();
    if (now - step_started_ > longest_wait) return true;
    const bool sending = qobject_cast<cancel_sms_dialog_t*>(QApplication::activeModalWidget()) != nullptr;
    return now - std::max(step_started_, last_change_) > (sending ? long_wait : screen_wait);
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
    const outcome_t outcome = perform(step);
    if (failed_) return;
    if (outcome == outcome_t::waiting) return;
    ++next_;
    menu_depth_ = 0;
    menu_opened_ = false;
    announced_ = false;
    step_had_turn_ = false;
    pick_keys_ = 0;
    step_started_ = std::chrono::steady_clock::now();
    schedule_tick();
}

scenario_runner_t::outcome_t scenario_runner_t::perform(const scenario_step_t& step) {
    const auto waited = std::chrono::steady_clock::now() - step_started_;
    const bool screen_late = this->screen_late();
    const bool long_late = waited > long_wait;
    auto not_yet = [&](const std::string& expected) {
        if (!screen_late) return outcome_t::waiting;
        fail(&step, expected_seen(expected));
        return outcome_t::waiting;
    };
    if (!step_had_turn_) {
        // The screen a step acts on has had a turn to appear.
        step_had_turn_ = true;
        schedule_tick();
        return outcome_t::waiting;
    }
    // A field's value is written once the field is found, masked when the field masks it.
    if (!announced_ && step.kind != kind_t::fill) {
        out_ << "> " << (step.kind == kind_t::pin ? "pin ****" : step.text) << std::endl;
        announced_ = true;
    }

    QWidget* window = top_window();
    auto* modal = QApplication::activeModalWidget();
    switch (step.kind) {
        case kind_t::pin: {
            const QString pin = QString::fromStdString(step.args[0]);
            if (auto* fresh = qobject_cast<new_pin_form_t*>(modal)) {
                act([form = QPointer<new_pin_form_t>(fresh), pin] {
                    if (!form) return;
                    type_keys(form->pin_edit(), pin);
                    type_keys(form->repeat_edit(), pin);
                    press_key(form->repeat_edit(), Qt::Key_Return);
                });
                return outcome_t::done;
            }
            if (auto* old = qobject_cast<old_pin_form_t*>(modal)) {
                act([form = QPointer<old_pin_form_t>(old), pin] {
                    if (!form) return;
                    type_keys(form->pin_edit(), pin);
                    press_key(form->pin_edit(), Qt::Key_Return);
                });
                return outcome_t::done;
            }
            return not_yet(scenario_text(texts::scenario_pin_dialog));
        }
        case kind_t::expect_form: {
            const QString title = QString::fromStdString(step.args[0]);
            const bool form = modal && !qobject_cast<QMessageBox*>(modal) && !qobject_cast<cancel_sms_dialog_t*>(modal);
            const QString shown = qobject_cast<ppc_form_t*>(modal)
                                      ? QString::fromStdU16String(qobject_cast<ppc_form_t*>(modal)->title())
                                      : (modal ? modal->windowTitle() : QString());
            if (form && !QApplication::activePopupWidget() && shown == title) return outcome_t::done;
            return not_yet(scenario_text(texts::scenario_form, {quoted(title)}));
        }
        case kind_t::expect_alert: {
            const QString text = QString::fromStdString(step.args[0]);
            auto* box = qobject_cast<QMessageBox*>(modal);
            // An empty text asks for a box that says nothing (white space at most); any other text for a box
            // that starts with it.
            if (box && (text.isEmpty() ? box->text().trimmed().isEmpty() : box->text().startsWith(text)))
                return outcome_t::done;
            return not_yet(scenario_text(texts::scenario_alert, {quoted(text)}));
        }
        case kind_t::expect_text:
        case kind_t::click: {
            const QString text = QString::fromStdString(step.args[0]);
            auto* form = qobject_cast<ppc_form_t*>(modal);
            if (!form || QApplication::activePopupWidget())
                return not_yet(scenario_text(texts::scenario_form_with, {quoted(text)}));
            QStringList shown;
            for (QWidget* control : controls_of(form->page())) {
                auto* label = qobject_cast<QLabel*>(control);
                if (step.kind == kind_t::click) {
                    if (label && without_fold_mark(label->text()).startsWith(text)) {
                        act([label = QPointer<QLabel>(label)] {
                            if (label) click(label);
                        });
                        return outcome_t::done;
                    }
                } else if (shown_text(control).startsWith(text)) {
                    return outcome_t::done;
                }
                if (!shown_text(control).isEmpty()) shown << shown_text(control);
            }
            return not_yet(scenario_text(texts::scenario_text_on_form,
                                         {quoted(text), quoted(shown.join(QStringLiteral("\", \"")))}));
        }
        case kind_t::expect_no_entry: {
            const QString caption = QString::fromStdString(step.args[0]);
            const QString entry = QString::fromStdString(step.args[1]);
            auto* form = qobject_cast<ppc_form_t*>(modal);
            if (!form || QApplication::activePopupWidget())
                return not_yet(scenario_text(texts::scenario_form_with, {quoted(caption)}));
            const auto under = item_under(form, caption);
            if (!under) return not_yet(scenario_text(texts::scenario_form_item, {quoted(caption)}));
            const auto entries = entries_of(*under);
            if (!entries) {
                fail(&step, scenario_text(texts::scenario_no_list, {quoted(caption)}));
                return outcome_t::waiting;
            }
            if (!entries->contains(entry)) return outcome_t::done;
            // The form may still be on its way to the new list.
            if (!screen_late) return outcome_t::waiting;
            fail(&step, scenario_text(texts::scenario_entry_still_offered, {quoted(caption), quoted(entry)}));
            return outcome_t::waiting;
        }
        case kind_t::answer: {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return not_yet(scenario_text(texts::scenario_alert_to_answer));
            const std::string& a = step.args[0];
            QAbstractButton* button = box->button(a == "yes"  ? QMessageBox::Yes
                                                  : a == "no" ? QMessageBox::No
                                                              : QMessageBox::Ok);
            if (!button) {
                fail(&step, scenario_text(texts::scenario_no_answer_button, {a, seen()}));
                return outcome_t::waiting;
            }
            act([target = QPointer<QAbstractButton>(button), a] {
                moment_trace::mark("answer " + a);
                if (target) click(target);
            });
            return outcome_t::done;
        }
        case kind_t::expect_sms: {
            std::lock_guard lock(sent_mutex_);
            if (sent_checked_ < sent_.size()) {
                const std::string request = scenario_request_of(sent_[sent_checked_++]);
                if (request.starts_with(step.args[0])) return outcome_t::done;
                fail(&step, scenario_text(texts::scenario_sms_differs, {step.args[0], request}));
                return outcome_t::waiting;
            }
            if (!long_late) return outcome_t::waiting;
            fail(&step, scenario_text(texts::scenario_no_sms, {step.args[0], seen()}));
            return outcome_t::waiting;
        }
        case kind_t::wait_bank:
            if (bank_waited_ < bank_shown_) {
                ++bank_waited_;
                return outcome_t::done;
            }
            if (!long_late) return outcome_t::waiting;
            fail(&step, scenario_text(texts::scenario_no_bank_message, {seen()}));
            return outcome_t::waiting;
        case kind_t::bank: {
            // The bank's messages carry its marker; a step may leave it out.
            std::string text = step.args[0];
            if (text.find("APP_PORT=2201") == std::string::npos && text.find("APPPORT=2201") == std::string::npos)
                text += " APP_PORT=2201";
            remote_->bank_sends(text);
            return outcome_t::done;
        }
        case kind_t::modem: {
            const std::string& what = step.args[0];
            if (what == "fail-next")
                remote_->fail_next_send();
            else if (what == "hang-up")
                remote_->hang_up();
            else if (what == "plug-in")
                remote_->plug_in();
            else if (what == "slow")
                remote_->slow_down(slow_answers);
            else if (what == "lose-ack")
                remote_->lose_next_acknowledgement(bank_late_after_lost_ack);
            else if (what == "error-500")
                remote_->fail_next_after_pdu(500);
            else if (what == "drop-mid-send")
                remote_->drop_link_mid_send();
            else if (what == "refuse-part-2")
                remote_->refuse_part(2);
            else
                remote_->receive_fault(what);
            return outcome_t::done;
        }
        case kind_t::screenshot:
            if (screenshots_ && window) {
                QDir().mkpath(QString::fromStdString(*screenshots_));
                const QString file = QString::fromStdString(*screenshots_ + "/" + step.args[0] + ".png");
                if (!screen_picture(window).save(file)) {
                    fail(&step, scenario_text(texts::scenario_screenshot_failed, {u8(file)}));
                    return outcome_t::waiting;
                }
            }
            return outcome_t::done;
        case kind_t::restart:
        case kind_t::quit:
            restart_ = step.kind == kind_t::restart;
            if (!restart_) moment_trace::mark("quit requested");
            // The step counts as taken: the next start goes on with the one after it.
            ++next_;
            announced_ = false;
            step_had_turn_ = false;
            pick_keys_ = 0;
            step_started_ = std::chrono::steady_clock::now();
            wind_down();
            return outcome_t::waiting;
        case kind_t::menu:
            return press_menu(step);
        case kind_t::key:
            return soft_key_step(step);
        case kind_t::fill:
        case kind_t::pick:
        case kind_t::check:
            return edit_item(step);
    }
    return outcome_t::done;
}

scenario_runner_t::outcome_t scenario_runner_t::press_menu(const scenario_step_t& step) {
    auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu_opened_) {
        // The "Меню" soft key of the main window.
        if (QApplication::activeModalWidget() || popup) {
            if (screen_late()) fail(&step, expected_seen(scenario_text(texts::scenario_main_window)));
            return outcome_t::waiting;
        }
        menu_opened_ = true;
        act([frame = QPointer<CMainFrame>(app_->frame())] {
            if (frame) click(frame->menu_key());
        });
        return outcome_t::waiting;
    }
    if (!popup) {
        if (screen_late()) fail(&step, expected_seen(scenario_text(texts::scenario_a_menu)));
        return outcome_t::waiting;
    }
    return choose_entry(step.args[menu_depth_], menu_depth_ + 1 == step.args.size());
}

scenario_runner_t::outcome_t scenario_runner_t::choose_entry(const std::string& entry, bool last) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    const scenario_step_t& step = steps_[next_];
    QAction* target = nullptr;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && menu_text(action) == QString::fromStdString(entry)) target = action;
    if (!target || !target->isEnabled()) {
        fail(&step,
             expected_seen(scenario_text(target ? texts::scenario_enabled_menu_entry : texts::scenario_menu_entry,
                                         {"\"" + entry + "\""})));
        return outcome_t::waiting;
    }
    // Down to the entry, as the user moves there, then Right into a sub-menu or Enter on a command.
    for (int i = 0; i <= menu->actions().size() && menu->activeAction() != target; ++i) press_key(menu, Qt::Key_Down);
    if (menu->activeAction() != target) {
        fail(&step, scenario_text(texts::scenario_entry_out_of_reach, {"\"" + entry + "\""}));
        return outcome_t::waiting;
    }
    if (!last) {
        if (!target->menu()) {
            fail(&step, scenario_text(texts::scenario_no_submenu, {"\"" + entry + "\""}));
            return outcome_t::waiting;
        }
        ++menu_depth_;
        press_key(menu, Qt::Key_Right);
        return outcome_t::waiting;
    }
    act([menu = QPointer<QMenu>(menu)] {
        if (menu) press_key(menu, Qt::Key_Return);
    });
    return outcome_t::done;
}

scenario_runner_t::outcome_t scenario_runner_t::soft_key_step(const scenario_step_t& step) {
    const QString text = QString::fromStdString(step.args[0]);
    if (QApplication::activePopupWidget()) {
        if (!menu_opened_) {
            if (screen_late()) fail(&step, expected_seen(scenario_text(texts::scenario_soft_key, {quoted(text)})));
            return outcome_t::waiting;
        }
        return choose_entry(step.args[0], true);
    }
    if (menu_opened_) {
        if (screen_late()) fail(&step, expected_seen(scenario_text(texts::scenario_options_menu)));
        return outcome_t::waiting;
    }
    QWidget* window = top_window();
    const auto [left, right] = soft_keys_of(window);
    for (QPushButton* key : {left, right})
        if (key && !key->isHidden() && key->text() == text) {
            show_values(window);
            act([key = QPointer<QPushButton>(key)] {
                if (key) click(key);
            });
            return outcome_t::done;
        }
    // Not a soft key: an entry of the options menu behind the left one.
    QMenu* options = nullptr;
    if (auto* form = qobject_cast<ppc_form_t*>(window)) options = form->options_menu();
    if (auto* pin = qobject_cast<old_pin_form_t*>(window)) options = pin->options_menu();
    bool offered = false;
    if (options)
        for (QAction* action : options->actions()) offered = offered || menu_text(action) == text;
    if (!offered || !left || left->isHidden()) {
        if (screen_late())
            fail(&step, expected_seen(scenario_text(texts::scenario_soft_key_or_option, {quoted(text)})));
        return outcome_t::waiting;
    }
    show_values(window);
    menu_opened_ = true;
    act([key = QPointer<QPushButton>(left)] {
        if (key) click(key);
    });
    return outcome_t::waiting;
}

scenario_runner_t::outcome_t scenario_runner_t::edit_item(const scenario_step_t& step) {
    const QString caption = QString::fromStdString(step.args[0]);
    const QString value = QString::fromStdString(step.args[1]);
    auto* form = qobject_cast<ppc_form_t*>(QApplication::activeModalWidget());
    if (!form || QApplication::activePopupWidget()) {
        if (screen_late()) fail(&step, expected_seen(scenario_text(texts::scenario_form_with, {quoted(caption)})));
        return outcome_t::waiting;
    }
    const auto under = item_under(form, caption);
    if (!under) {
        fail(&step, expected_seen(scenario_text(texts::scenario_form_item, {quoted(caption)})));
        return outcome_t::waiting;
    }
    const std::vector<QWidget*>& item = *under;
    auto first_of = [&]<class T>(T*) -> T* {
        for (QWidget* w : item)
            if (auto* t = qobject_cast<T*>(w)) return t;
        return nullptr;
    };
    if (step.kind == kind_t::fill) {
        auto* edit = first_of(static_cast<QLineEdit*>(nullptr));
        if (!edit) {
            fail(&step, scenario_text(texts::scenario_no_input_field, {quoted(caption)}));
            return outcome_t::waiting;
        }
        const bool masked = edit->echoMode() != QLineEdit::Normal;
        out_ << "> fill " << quoted(caption) << " " << (masked ? std::string(value.size(), '*') : u8(value))
             << std::endl;
        // Into the field, everything in it rubbed out, the new text typed.
        click(edit);
        press_key(edit, Qt::Key_End);
        for (int n = static_cast<int>(edit->text().size()); n > 0; --n) press_key(edit, Qt::Key_Backspace);
        type_keys(edit, value);
        return outcome_t::done;
    }
    if (step.kind == kind_t::check) {
        for (QWidget* w : item)
            if (auto* box = qobject_cast<QCheckBox*>(w); box && box->text() == value) {
                if (box->isChecked() != (step.args[2] == "on")) click(box);
                return outcome_t::done;
            }
        fail(&step, scenario_text(texts::scenario_no_check_box, {quoted(caption), quoted(value)}));
        return outcome_t::waiting;
    }
    return pick_entry(step, item);
}

scenario_runner_t::outcome_t scenario_runner_t::pick_entry(const scenario_step_t& step,
                                                           const std::vector<QWidget*>& item) {
    const QString caption = QString::fromStdString(step.args[0]);
    const QString value = QString::fromStdString(step.args[1]);
    // The pick is done as a keypad user does it, a key at a time on the control as it is now (a card selection
    // builds its form anew after each change), and it holds only once the control shows the entry.
    auto not_taken = [&](const QString& shown) {
        if (!screen_late()) return outcome_t::waiting;
        fail(&step, scenario_text(texts::scenario_pick_not_taken, {quoted(caption), quoted(value), quoted(shown)}));
        return outcome_t::waiting;
    };
    for (QWidget* w : item) {
        if (auto* combo = qobject_cast<popup_combo_t*>(w)) {
            const int wanted = combo->findText(value, Qt::MatchExactly);
            if (wanted < 0) {
                std::string offered;
                for (int i = 0; i < combo->count(); ++i) offered += (i ? ", " : "") + quoted(combo->itemText(i));
                fail(&step,
                     scenario_text(texts::scenario_entry_not_offered_only, {quoted(caption), quoted(value), offered}));
                return outcome_t::waiting;
            }
            if (combo->currentText() == value && !combo->view()->isVisible()) return outcome_t::done;
            if (pick_keys_ > 0) return not_taken(combo->currentText());
            // Enter opens the list, the arrows go to the entry, Enter takes it.
            ++pick_keys_;
            combo->setFocus(Qt::TabFocusReason);
            act([combo = QPointer<popup_combo_t>(combo), wanted] {
                if (!combo) return;
                press_key(combo, Qt::Key_Return);
                QAbstractItemView* list = combo->view();
                if (!list->isVisible()) return;
                for (int i = 0; i <= combo->count() && list->currentIndex().row() != wanted; ++i)
                    press_key(list, list->currentIndex().row() < wanted ? Qt::Key_Down : Qt::Key_Up);
                press_key(list, Qt::Key_Return);
            });
            return outcome_t::waiting;
        }
        if (auto* spin = qobject_cast<spin_select_control_t*>(w)) {
            int wanted = -1;
            for (int i = 0; i < spin->count(); ++i)
                if (spin->option(i) == value) wanted = i;
            if (wanted < 0) {
                fail(&step, scenario_text(texts::scenario_entry_not_offered, {quoted(caption), quoted(value)}));
                return outcome_t::waiting;
            }
            if (spin->taken() == wanted) return outcome_t::done;
            // Right until the entry shows, then Enter if showing it does not take it (an entry that does
            // something when chosen). Every key may build the form anew: one key per look at the screen.
            if (pick_keys_ > 2 * spin->count() + 1) return not_taken(spin->current_text());
            ++pick_keys_;
            spin->setFocus(Qt::TabFocusReason);
            const Qt::Key key = spin->current() == wanted ? Qt::Key_Return : Qt::Key_Right;
            act([spin = QPointer<spin_select_control_t>(spin), key] {
                if (spin) press_key(spin, key);
            });
            return outcome_t::waiting;
        }
    }
    for (QWidget* w : item)
        if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->text() == value) {
            if (radio->isChecked()) return outcome_t::done;
            if (pick_keys_ > 0) return not_taken(QString());
            ++pick_keys_;
            act([radio = QPointer<QRadioButton>(radio)] {
                if (radio) click(radio);
            });
            return outcome_t::waiting;
        }
    fail(&step, scenario_text(texts::scenario_entry_not_offered, {quoted(caption), quoted(value)}));
    return outcome_t::waiting;
}
