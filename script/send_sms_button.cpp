// The send key: the user confirms the request built from the form's values, and it leaves as one SMS to
// the bank's number, with the offer to retry when sending fails.
#include "messaging/messaging.h"
#include "resources/texts.h"
#include "script/button_tags.h"
#include "script/expand.h"
#include "script/menu_tags.h"
#include "script/request_format.h"
#include "script/script_context.h"
#include "script/tag_errors.h"
#include "ui/display.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

constexpr char16_t bank_number_var[] = u"_smsISDN";
constexpr char16_t bank_numbers_var[] = u"s_phones";
// What a number field holds when the bank has not given one.
constexpr char16_t no_number[] = u"000";

bool is_number(const std::u16string& id1) {
    return !id1.empty() && id1 != no_number;
}

}  // namespace

void ButtonSendSMS_tag_t::show() {
    ButtonOk_tag_t::show();
    if (!script_item() || !global_vars) return;
    if (is_number(global_vars->get_card(bank_number_var)->card.id1)) return;
    card_list_var_t* numbers = global_vars->get_card_list(bank_numbers_var);
    if (numbers->count() > 0 || !numbers->add_form) return;
    // Not from the add form itself, nor while it runs: it would run itself again and again.
    if (numbers->add_form == script_item() || numbers->add_form->adding) return;
    numbers->add_form->run_to_add();
    if (numbers->count() == 0) throw tag_card_list_empty_ex_t(this);
}

bool ButtonSendSMS_tag_t::ask(const std::u16string& question, int kind) {
    auto alert = script_context.display->create_alert(texts::app_name, question, kind);
    alert->show();
    return alert->answer();
}

void ButtonSendSMS_tag_t::tell(const std::u16string& text, int kind) {
    auto alert = script_context.display->create_alert(texts::app_name, text, kind);
    alert->show();
}

std::u16string ButtonSendSMS_tag_t::expand_fresh(const std::u16string& templ) {
    // A fixed choice picked for an earlier request must not turn this one into its text alone: only a
    // card met in this template decides that.
    whole_text = false;
    return expand(templ, *this);
}

void ButtonSendSMS_tag_t::execute(int, int) {
    preview_display = preview_format = true;
    std::u16string question;
    try {
        question = expand_fresh(request);
    } catch (...) {
        preview_display = preview_format = false;
        throw;
    }
    preview_display = preview_format = false;
    if (!ask(question)) return;

    const std::u16string number = global_vars ? global_vars->get_card(bank_number_var)->card.id1 : std::u16string();
    if (!is_number(number)) {
        // The user confirmed a payment; saying nothing would leave them believing it went.
        tell(texts::send_failed_check_bank_number, alert_t::error);
        return;
    }
    const std::u16string text = expand_fresh(body());
    if (text.empty()) {
        tell(texts::send_empty_request, alert_t::error);
        return;
    }
    messaging_t* messaging = script_context.messaging;
    if (messaging) {
        messaging->set_number(number);
        messaging->set_text(text);
    }
    // A retry sends the same number and text again, whatever the form's values have become. Only a request that
    // surely did not leave is offered again as a plain retry; one that may have left is told as such, and sent
    // again only on the user's explicit choice after the warning that the payment could repeat.
    for (;;) {
        const send_outcome_t outcome = messaging ? messaging->send_for_outcome() : send_outcome_t::not_sent;
        if (outcome == send_outcome_t::sent) break;
        if (outcome == send_outcome_t::not_sent) {
            if (!ask(texts::send_retry_question)) return;
            continue;
        }
        tell(texts::send_outcome_unknown, alert_t::information);
        if (!ask(texts::send_repeat_question, alert_t::risky_question)) {
            // The request may be on its way: the form goes, so that it is not sent again by habit.
            if (form_t* shown = form()) shown->close();
            return;
        }
    }
    tell(texts::send_succeeded, alert_t::information);
    if (form_t* shown = form()) shown->close();
}

std::u16string ButtonSendSMS_tag_t::resolve(const std::u16string& var_name) {
    if (const string_var_t* var = lookup_string(var_name))
        return print_for_request(*var, preview_display, preview_format);
    if (const card_var_t* var = lookup_card(var_name)) {
        const card_t& card = var->card;
        whole_text = card.script_entry;
        if (card.script_entry) return preview_format ? card.id0 : card.id1;
        return preview_format ? card.display() : card.id1;
    }
    return {};
}
