#pragma once

// The rules of `ostrevan-cfg lint`: each one's code, severity and reason in one table, which the checks,
// the printed findings and the help text (`ostrevan-cfg lint --rules`) all read.

#include <span>

namespace lint {

enum class rule_t {
    unknown_variable,
    checkbox_in_template,
    unclosed_brace,
    card_list_no_template,
    default_unmatched,
    no_bank_number,
    add_button_unoffered,
    add_form_no_list,
    too_many_commands,
    too_many_menu_entries,
    no_effect,
    ignored_keyword,
    duplicate_id,
    amount_type,
    empty_body,
    unknown_word,
    unknown_card_field,
    menu_unreachable,
    del_never_deletes,
    literal_braces,
};

enum class severity_t { warning, error };

struct rule_info_t {
    rule_t rule;
    // Short, stable, for tools and for switching a rule off in a script's review.
    const char* code;
    severity_t severity;
    // Why the rule exists, in the words of the help text.
    const char16_t* reason;
};

// Every rule, in the order of the enumeration.
std::span<const rule_info_t> rules();
const rule_info_t& info(rule_t rule);

// How many commands a form's screens offer, and how many entries one build of the main menu can run.
// The screens (screens/) keep the same numbers; render checks that they agree.
inline constexpr int form_commands_shown = 10;
inline constexpr int menu_commands_run = 100;

}  // namespace lint
