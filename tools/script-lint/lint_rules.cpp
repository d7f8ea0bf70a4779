#include "tools/script-lint/lint_rules.h"

#include <array>

#include "resources/texts.h"

namespace lint {

namespace {

using enum severity_t;

constexpr std::array<rule_info_t, 20> table{{
    {rule_t::unknown_variable, "unknown-variable", error, texts::lint_reason_unknown_variable},
    {rule_t::checkbox_in_template, "checkbox-in-template", error, texts::lint_reason_checkbox_in_template},
    {rule_t::unclosed_brace, "unclosed-brace", warning, texts::lint_reason_unclosed_brace},
    {rule_t::card_list_no_template, "card-list-no-template", warning, texts::lint_reason_card_list_no_template},
    {rule_t::default_unmatched, "default-unmatched", warning, texts::lint_reason_default_unmatched},
    {rule_t::no_bank_number, "no-bank-number", error, texts::lint_reason_no_bank_number},
    {rule_t::add_button_unoffered, "add-button-unoffered", warning, texts::lint_reason_add_button_unoffered},
    {rule_t::add_form_no_list, "add-form-no-list", error, texts::lint_reason_add_form_no_list},
    {rule_t::too_many_commands, "too-many-commands", error, texts::lint_reason_too_many_commands},
    {rule_t::too_many_menu_entries, "too-many-menu-entries", error, texts::lint_reason_too_many_menu_entries},
    {rule_t::no_effect, "no-effect", warning, texts::lint_reason_no_effect},
    {rule_t::ignored_keyword, "ignored-keyword", warning, texts::lint_reason_ignored_keyword},
    {rule_t::duplicate_id, "duplicate-id", error, texts::lint_reason_duplicate_id},
    {rule_t::amount_type, "amount-type", warning, texts::lint_reason_amount_type},
    {rule_t::empty_body, "empty-body", error, texts::lint_reason_empty_body},
    {rule_t::unknown_word, "unknown-word", warning, texts::lint_reason_unknown_word},
    {rule_t::unknown_card_field, "unknown-card-field", warning, texts::lint_reason_unknown_card_field},
    {rule_t::menu_unreachable, "menu-unreachable", warning, texts::lint_reason_menu_unreachable},
    {rule_t::del_never_deletes, "del-never-deletes", warning, texts::lint_reason_del_never_deletes},
    {rule_t::literal_braces, "literal-braces", warning, texts::lint_reason_literal_braces},
}};

constexpr bool in_enum_order() {
    for (size_t i = 0; i < table.size(); ++i)
        if (size_t(table[i].rule) != i) return false;
    return true;
}
static_assert(in_enum_order(), "the rule table follows the order of rule_t");
static_assert(size_t(rule_t::literal_braces) + 1 == table.size(), "every rule has its row");

}  // namespace

std::span<const rule_info_t> rules() {
    return table;
}

const rule_info_t& info(rule_t rule) {
    return table[size_t(rule)];
}

}  // namespace lint
