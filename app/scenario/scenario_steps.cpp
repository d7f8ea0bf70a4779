#include "app/scenario/scenario_steps.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <array>
#include <utility>

#include "app/pin_dialogs.h"
#include "app/scenario/scenario_text.h"
#include "app/user_input.h"
#include "core/moment_trace.h"
#include "resources/texts.h"
#include "screens/select_windows.h"
#include "sim/sim_remote.h"

namespace {

using kind_t = scenario_step_t::kind_t;
using item_kind_t = item_automation_t::kind_t;
using outcome_t = step_outcome_t;

// "modem slow": how late the simulated modem answers. The bank answers a request whose acknowledgement was lost
// only after the user has been told, so that its answer comes after the user's, as it would in the field.
constexpr modem_time_t slow_answers{4'000};
constexpr modem_time_t bank_late_after_lost_ack{6'000};

QString arg(const scenario_step_t& step, std::size_t i) {
    return QString::fromStdString(step.args[i]);
}

// A step that waits for a screen: it waits while the screen may still come, and fails, naming what it waited
// for and what the screen shows, once the screen is late.
outcome_t not_yet(scenario_host_t& host, const scenario_screen_t& screen, const std::string& expected) {
    if (host.screen_late()) host.fail(scenario_text(texts::scenario_expected_seen, {expected, screen.seen()}));
    return outcome_t::waiting;
}

outcome_t failed(scenario_host_t& host, const std::string& message) {
    host.fail(message);
    return outcome_t::waiting;
}

// The form a step acts on: the modal form with no pop-up over it.
bool form_ready(const scenario_screen_t& screen) {
    return screen.form && !screen.popup;
}

// A text item's words without the mark that tells whether it is folded.
QString without_fold_mark(QString text) {
    if (text.startsWith(QStringLiteral("[-]")) || text.startsWith(QStringLiteral("[+]"))) text.remove(0, 3);
    return text;
}

// Every text an item shows, top to bottom: its caption, then its text, value, pick or entries.
QStringList shown_texts(const item_automation_t& item) {
    QStringList texts{item.caption};
    switch (item.kind) {
        case item_kind_t::text:
        case item_kind_t::drop_down:
        case item_kind_t::one_line_list:
            texts << item.shown;
            break;
        case item_kind_t::input:
            if (item.control) texts << item.shown;
            break;
        case item_kind_t::radio_buttons:
        case item_kind_t::check_boxes:
            texts << item.entries;
            break;
        case item_kind_t::picture:
            break;
    }
    texts.removeAll(QString());
    return texts;
}

bool is_list(const item_automation_t& item) {
    return item.kind == item_kind_t::drop_down || item.kind == item_kind_t::one_line_list ||
           item.kind == item_kind_t::radio_buttons || item.kind == item_kind_t::check_boxes;
}

outcome_t pin(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString digits = arg(step, 0);
    if (auto* fresh = qobject_cast<new_pin_form_t*>(screen.modal)) {
        host.act([form = QPointer<new_pin_form_t>(fresh), digits] {
            if (!form) return;
            type_keys(form->pin_edit(), digits);
            type_keys(form->repeat_edit(), digits);
            press_key(form->repeat_edit(), Qt::Key_Return);
        });
        return outcome_t::done;
    }
    if (auto* old = qobject_cast<old_pin_form_t*>(screen.modal)) {
        host.act([form = QPointer<old_pin_form_t>(old), digits] {
            if (!form) return;
            type_keys(form->pin_edit(), digits);
            press_key(form->pin_edit(), Qt::Key_Return);
        });
        return outcome_t::done;
    }
    return not_yet(host, screen, scenario_text(texts::scenario_pin_dialog));
}

outcome_t expect_form(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString title = arg(step, 0);
    const bool form =
        screen.kind == scenario_screen_t::kind_t::form || screen.kind == scenario_screen_t::kind_t::dialog;
    if (form && screen.modal && !screen.popup && screen.title == title) return outcome_t::done;
    return not_yet(host, screen, scenario_text(texts::scenario_form, {quoted(title)}));
}

outcome_t expect_alert(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString text = arg(step, 0);
    // An empty text asks for a box that says nothing (white space at most); any other text for a box that starts
    // with it.
    if (QMessageBox* box = screen.alert;
        box && (text.isEmpty() ? box->text().trimmed().isEmpty() : box->text().startsWith(text)))
        return outcome_t::done;
    return not_yet(host, screen, scenario_text(texts::scenario_alert, {quoted(text)}));
}

// A text a step looks for is not (yet) on the form: the failure lists every text the form shows.
outcome_t text_not_on_form(scenario_host_t& host, const scenario_screen_t& screen, const QString& text,
                           const QStringList& shown) {
    return not_yet(
        host, screen,
        scenario_text(texts::scenario_text_on_form, {quoted(text), quoted(shown.join(QStringLiteral("\", \"")))}));
}

outcome_t expect_text(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString text = arg(step, 0);
    if (!form_ready(screen)) return not_yet(host, screen, scenario_text(texts::scenario_form_with, {quoted(text)}));
    QStringList shown;
    for (const item_automation_t& item : screen.items)
        for (const QString& one : shown_texts(item)) {
            if (one.startsWith(text)) return outcome_t::done;
            shown << one;
        }
    return text_not_on_form(host, screen, text, shown);
}

outcome_t click_text(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString text = arg(step, 0);
    if (!form_ready(screen)) return not_yet(host, screen, scenario_text(texts::scenario_form_with, {quoted(text)}));
    QStringList shown;
    for (const item_automation_t& item : screen.items) {
        if (item.kind == item_kind_t::text && item.control && without_fold_mark(item.shown).startsWith(text)) {
            host.act([label = QPointer<QWidget>(item.control)] {
                if (label) click(label);
            });
            return outcome_t::done;
        }
        shown << shown_texts(item);
    }
    return text_not_on_form(host, screen, text, shown);
}

outcome_t expect_no_entry(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const QString caption = arg(step, 0);
    if (!form_ready(screen)) return not_yet(host, screen, scenario_text(texts::scenario_form_with, {quoted(caption)}));
    const item_automation_t* item = screen.item(caption);
    if (!item) return not_yet(host, screen, scenario_text(texts::scenario_form_item, {quoted(caption)}));
    if (!is_list(*item)) return failed(host, scenario_text(texts::scenario_no_list, {quoted(caption)}));
    if (!item->entries.contains(arg(step, 1))) return outcome_t::done;
    // The form may still be on its way to the new list.
    if (!host.screen_late()) return outcome_t::waiting;
    return failed(host, scenario_text(texts::scenario_entry_still_offered, {quoted(caption), quoted(arg(step, 1))}));
}

outcome_t answer(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    if (!screen.alert) return not_yet(host, screen, scenario_text(texts::scenario_alert_to_answer));
    const std::string& a = step.args[0];
    QAbstractButton* button = screen.alert->button(a == "yes"  ? QMessageBox::Yes
                                                   : a == "no" ? QMessageBox::No
                                                               : QMessageBox::Ok);
    if (!button) return failed(host, scenario_text(texts::scenario_no_answer_button, {a, screen.seen()}));
    host.act([target = QPointer<QAbstractButton>(button), a] {
        moment_trace::mark("answer " + a);
        if (target) click(target);
    });
    return outcome_t::done;
}

outcome_t expect_sms(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    if (const std::optional<std::string> sms = host.next_sms()) {
        const std::string request = scenario_request_of(*sms);
        if (request.starts_with(step.args[0])) return outcome_t::done;
        return failed(host, scenario_text(texts::scenario_sms_differs, {step.args[0], request}));
    }
    if (!host.long_late()) return outcome_t::waiting;
    return failed(host, scenario_text(texts::scenario_no_sms, {step.args[0], host.screen().seen()}));
}

outcome_t wait_bank(scenario_host_t& host, const scenario_step_t&, step_progress_t&) {
    if (host.take_bank_message()) return outcome_t::done;
    if (!host.long_late()) return outcome_t::waiting;
    return failed(host, scenario_text(texts::scenario_no_bank_message, {host.screen().seen()}));
}

outcome_t bank(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    sim_remote_t* remote = host.remote();
    if (!remote) return failed(host, scenario_text(texts::scenario_needs_sim_modem));
    // The bank's messages carry its marker; a step may leave it out.
    std::string text = step.args[0];
    if (text.find("APP_PORT=2201") == std::string::npos && text.find("APPPORT=2201") == std::string::npos)
        text += " APP_PORT=2201";
    remote->bank_sends(text);
    return outcome_t::done;
}

// The faults a "modem" step names; any other name is a receive-side behaviour of the simulated modem.
struct modem_fault_t {
    std::string_view name;
    void (*cause)(sim_remote_t&);
};
constexpr modem_fault_t modem_faults[] = {
    {"fail-next", [](sim_remote_t& r) { r.fail_next_send(); }},
    {"hang-up", [](sim_remote_t& r) { r.hang_up(); }},
    {"plug-in", [](sim_remote_t& r) { r.plug_in(); }},
    {"slow", [](sim_remote_t& r) { r.slow_down(slow_answers); }},
    {"lose-ack", [](sim_remote_t& r) { r.lose_next_acknowledgement(bank_late_after_lost_ack); }},
    {"error-500", [](sim_remote_t& r) { r.fail_next_after_pdu(500); }},
    {"drop-mid-send", [](sim_remote_t& r) { r.drop_link_mid_send(); }},
    {"refuse-part-2", [](sim_remote_t& r) { r.refuse_part(2); }},
};

outcome_t modem(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    sim_remote_t* remote = host.remote();
    if (!remote) return failed(host, scenario_text(texts::scenario_needs_sim_modem));
    const std::string& what = step.args[0];
    for (const modem_fault_t& fault : modem_faults)
        if (fault.name == what) {
            fault.cause(*remote);
            return outcome_t::done;
        }
    remote->receive_fault(what);
    return outcome_t::done;
}

outcome_t screenshot(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const std::optional<std::string> folder = host.screenshots();
    const scenario_screen_t screen = host.screen();
    if (!folder || !screen.window) return outcome_t::done;
    QDir().mkpath(QString::fromStdString(*folder));
    const QString file = QString::fromStdString(*folder + "/" + step.args[0] + ".png");
    if (!screen_picture(screen.window).save(file))
        return failed(host, scenario_text(texts::scenario_screenshot_failed, {file.toStdString()}));
    return outcome_t::done;
}

outcome_t end_run(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    // The step counts as taken: the next start goes on with the one after it.
    if (step.kind == kind_t::quit) moment_trace::mark("quit requested");
    host.end_run(step.kind == kind_t::restart);
    return outcome_t::done;
}

// Chooses `entry` of the menu on top as the user does: down to it, then Right into its sub-menu or Enter on
// the command (`last`).
outcome_t choose_entry(scenario_host_t& host, const scenario_screen_t& screen, const std::string& entry, bool last,
                       step_progress_t& progress) {
    QMenu* menu = screen.menu;
    const QString wanted = QString::fromStdString(entry);
    QAction* target = nullptr;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && menu_entry_text(action) == wanted) target = action;
    if (!target || !target->isEnabled())
        return failed(
            host, scenario_text(texts::scenario_expected_seen,
                                {scenario_text(target ? texts::scenario_enabled_menu_entry : texts::scenario_menu_entry,
                                               {"\"" + entry + "\""}),
                                 screen.seen()}));
    for (int i = 0; i <= menu->actions().size() && menu->activeAction() != target; ++i) press_key(menu, Qt::Key_Down);
    if (menu->activeAction() != target)
        return failed(host, scenario_text(texts::scenario_entry_out_of_reach, {"\"" + entry + "\""}));
    if (!last) {
        if (!target->menu()) return failed(host, scenario_text(texts::scenario_no_submenu, {"\"" + entry + "\""}));
        ++progress.menu_depth;
        press_key(menu, Qt::Key_Right);
        return outcome_t::waiting;
    }
    host.act([menu = QPointer<QMenu>(menu)] {
        if (menu) press_key(menu, Qt::Key_Return);
    });
    return outcome_t::done;
}

outcome_t menu(scenario_host_t& host, const scenario_step_t& step, step_progress_t& progress) {
    const scenario_screen_t screen = host.screen();
    if (!progress.menu_opened) {
        // The "Меню" soft key of the main window.
        if (!screen.main_window) return not_yet(host, screen, scenario_text(texts::scenario_main_window));
        progress.menu_opened = true;
        host.act([key = QPointer<QPushButton>(screen.right_key)] {
            if (key) click(key);
        });
        return outcome_t::waiting;
    }
    if (!screen.menu) return not_yet(host, screen, scenario_text(texts::scenario_a_menu));
    return choose_entry(host, screen, step.args[progress.menu_depth], progress.menu_depth + 1 == step.args.size(),
                        progress);
}

outcome_t soft_key(scenario_host_t& host, const scenario_step_t& step, step_progress_t& progress) {
    const scenario_screen_t screen = host.screen();
    const QString text = arg(step, 0);
    if (screen.popup) {
        if (!progress.menu_opened || !screen.menu)
            return not_yet(host, screen, scenario_text(texts::scenario_soft_key, {quoted(text)}));
        return choose_entry(host, screen, step.args[0], true, progress);
    }
    if (progress.menu_opened) return not_yet(host, screen, scenario_text(texts::scenario_options_menu));
    for (QPushButton* key : {screen.left_key, screen.right_key})
        if (key && !key->isHidden() && key->text() == text) {
            host.show_values();
            host.act([key = QPointer<QPushButton>(key)] {
                if (key) click(key);
            });
            return outcome_t::done;
        }
    // Not a soft key: an entry of the options menu behind the left one.
    bool offered = false;
    if (screen.options)
        for (QAction* action : screen.options->actions()) offered = offered || menu_entry_text(action) == text;
    if (!offered || !screen.left_key || screen.left_key->isHidden())
        return not_yet(host, screen, scenario_text(texts::scenario_soft_key_or_option, {quoted(text)}));
    host.show_values();
    progress.menu_opened = true;
    host.act([key = QPointer<QPushButton>(screen.left_key)] {
        if (key) click(key);
    });
    return outcome_t::waiting;
}

// The item under the step's caption on the form, or null when the step is to wait or has failed.
const item_automation_t* item_of(scenario_host_t& host, const scenario_step_t& step, const scenario_screen_t& screen) {
    const QString caption = arg(step, 0);
    if (!form_ready(screen)) {
        not_yet(host, screen, scenario_text(texts::scenario_form_with, {quoted(caption)}));
        return nullptr;
    }
    const item_automation_t* item = screen.item(caption);
    if (!item)
        host.fail(scenario_text(texts::scenario_expected_seen,
                                {scenario_text(texts::scenario_form_item, {quoted(caption)}), screen.seen()}));
    return item;
}

outcome_t fill(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const item_automation_t* item = item_of(host, step, screen);
    if (!item) return outcome_t::waiting;
    auto* edit = qobject_cast<QLineEdit*>(item->control);
    if (item->kind != item_kind_t::input || !edit)
        return failed(host, scenario_text(texts::scenario_no_input_field, {quoted(item->caption)}));
    // The value is written as the field shows it: masked when the field masks it.
    const QString value = arg(step, 1);
    host.say("> fill " + quoted(item->caption) + " " +
             (item->secret ? std::string(static_cast<std::size_t>(value.size()), '*') : step.args[1]));
    // Into the field, everything in it rubbed out, the new text typed.
    click(edit);
    press_key(edit, Qt::Key_End);
    for (int n = static_cast<int>(edit->text().size()); n > 0; --n) press_key(edit, Qt::Key_Backspace);
    type_keys(edit, value);
    return outcome_t::done;
}

outcome_t check(scenario_host_t& host, const scenario_step_t& step, step_progress_t&) {
    const scenario_screen_t screen = host.screen();
    const item_automation_t* item = item_of(host, step, screen);
    if (!item) return outcome_t::waiting;
    const QString box_text = arg(step, 1);
    if (item->kind == item_kind_t::check_boxes)
        for (QAbstractButton* box : item->buttons)
            if (box->text() == box_text) {
                if (box->isChecked() != (step.args[2] == "on")) click(box);
                return outcome_t::done;
            }
    return failed(host, scenario_text(texts::scenario_no_check_box, {quoted(item->caption), quoted(box_text)}));
}

// The pick is done as a keypad user does it, a key at a time on the control as it is now (a card selection builds
// its form anew after each change), and it holds only once the control shows the entry.
outcome_t pick(scenario_host_t& host, const scenario_step_t& step, step_progress_t& progress) {
    const scenario_screen_t screen = host.screen();
    const item_automation_t* item = item_of(host, step, screen);
    if (!item) return outcome_t::waiting;
    const QString& caption = item->caption;
    const QString value = arg(step, 1);
    auto not_taken = [&](const QString& shown) {
        if (!host.screen_late()) return outcome_t::waiting;
        return failed(host,
                      scenario_text(texts::scenario_pick_not_taken, {quoted(caption), quoted(value), quoted(shown)}));
    };
    const int wanted = static_cast<int>(item->entries.indexOf(value));
    switch (item->kind) {
        case item_kind_t::drop_down: {
            auto* combo = qobject_cast<popup_combo_t*>(item->control);
            if (wanted < 0) {
                std::string offered;
                for (const QString& entry : item->entries) offered += (offered.empty() ? "" : ", ") + quoted(entry);
                return failed(host, scenario_text(texts::scenario_entry_not_offered_only,
                                                  {quoted(caption), quoted(value), offered}));
            }
            if (item->shown == value && !combo->view()->isVisible()) return outcome_t::done;
            if (progress.pick_keys > 0) return not_taken(item->shown);
            // Enter opens the list, the arrows go to the entry, Enter takes it.
            ++progress.pick_keys;
            combo->setFocus(Qt::TabFocusReason);
            host.act([combo = QPointer<popup_combo_t>(combo), wanted] {
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
        case item_kind_t::one_line_list: {
            auto* spin = qobject_cast<spin_select_control_t*>(item->control);
            if (wanted < 0)
                return failed(host, scenario_text(texts::scenario_entry_not_offered, {quoted(caption), quoted(value)}));
            if (spin->taken() == wanted) return outcome_t::done;
            // Right until the entry shows, then Enter if showing it does not take it (an entry that does something
            // when chosen). Every key may build the form anew: one key per look at the screen.
            if (progress.pick_keys > 2 * spin->count() + 1) return not_taken(item->shown);
            ++progress.pick_keys;
            spin->setFocus(Qt::TabFocusReason);
            const Qt::Key key = spin->current() == wanted ? Qt::Key_Return : Qt::Key_Right;
            host.act([spin = QPointer<spin_select_control_t>(spin), key] {
                if (spin) press_key(spin, key);
            });
            return outcome_t::waiting;
        }
        case item_kind_t::radio_buttons:
            if (wanted < 0) break;
            if (QAbstractButton* radio = item->buttons[static_cast<std::size_t>(wanted)]; !radio->isChecked()) {
                if (progress.pick_keys > 0) return not_taken(QString());
                ++progress.pick_keys;
                host.act([radio = QPointer<QAbstractButton>(radio)] {
                    if (radio) click(radio);
                });
                return outcome_t::waiting;
            }
            return outcome_t::done;
        default:
            break;
    }
    return failed(host, scenario_text(texts::scenario_entry_not_offered, {quoted(caption), quoted(value)}));
}

// The table: one handler for each kind of step, in the order of the kinds.
struct step_entry_t {
    kind_t kind;
    step_handler_t handler;
};
constexpr std::array step_table{
    step_entry_t{kind_t::pin, pin},
    step_entry_t{kind_t::menu, menu},
    step_entry_t{kind_t::expect_form, expect_form},
    step_entry_t{kind_t::expect_alert, expect_alert},
    step_entry_t{kind_t::expect_sms, expect_sms},
    step_entry_t{kind_t::expect_text, expect_text},
    step_entry_t{kind_t::expect_no_entry, expect_no_entry},
    step_entry_t{kind_t::click, click_text},
    step_entry_t{kind_t::fill, fill},
    step_entry_t{kind_t::pick, pick},
    step_entry_t{kind_t::check, check},
    step_entry_t{kind_t::key, soft_key},
    step_entry_t{kind_t::answer, answer},
    step_entry_t{kind_t::bank, bank},
    step_entry_t{kind_t::wait_bank, wait_bank},
    step_entry_t{kind_t::modem, modem},
    step_entry_t{kind_t::screenshot, screenshot},
    step_entry_t{kind_t::restart, end_run},
    step_entry_t{kind_t::quit, end_run},
};

constexpr bool table_in_kind_order() {
    for (std::size_t i = 0; i < step_table.size(); ++i)
        if (static_cast<std::size_t>(step_table[i].kind) != i) return false;
    return static_cast<std::size_t>(kind_t::quit) + 1 == step_table.size();
}
static_assert(table_in_kind_order(), "every kind of step has its handler, in the order of the kinds");

}  // namespace

step_handler_t step_handler(scenario_step_t::kind_t kind) {
    return step_table[static_cast<std::size_t>(kind)].handler;
}
