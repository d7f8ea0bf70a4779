#include "tools/script-lint/script_lint.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/text_format.h"
#include "core/text_number.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "script/tag.h"
#include "script/tag_codes.h"
#include "vars/template_expand.h"
#include "vars/var_registry.h"

namespace lint {

namespace {

using namespace tags;

// What a variable of a name can be, as templates see it: resolve prints texts and cards only.
enum kind_t : unsigned { text_kind = 1, card_kind = 2, flag_kind = 4, other_kind = 8 };
using kinds_t = std::unordered_map<std::u16string, unsigned>;

const tag_complex_t* as_complex(const tag_t& tag) {
    return tag.is_complex() ? static_cast<const tag_complex_t*>(&tag) : nullptr;
}

std::u16string_view text_of(const tag_t& tag) {
    return tag.is_complex() ? std::u16string_view() : static_cast<const tag_simple_t&>(tag).text.view();
}

const tag_t* last_child(const tag_complex_t& node, int32_t code) {
    for (size_t i = node.children.size(); i-- > 0;)
        if (node.children[i]->code == code) return node.children[i].get();
    return nullptr;
}

const tag_t* first_child(const tag_complex_t& node, int32_t code) {
    for (const auto& child : node.children)
        if (child->code == code) return child.get();
    return nullptr;
}

bool is_script_item(const tag_t& tag) {
    return tag.code == ScriptItem || tag.code == ScriptItemAdd;
}

std::u16string upper_ascii(std::u16string_view text) {
    std::u16string upper(text);
    for (auto& c : upper)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return upper;
}

// The input type a "Type" text gives: the first keyword found anywhere in it; -1 for none (then "ANY").
int type_index(std::u16string_view text) {
    static const char16_t* const keywords[] = {u"ANY", u"EMAIL",   u"NUMERIC",  u"PHONE",
                                               u"URL", u"DECIMAL", u"CURRENCY", u"PASSWORD"};
    const std::u16string upper = upper_ascii(text);
    for (int i = 0; i < 8; ++i)
        if (upper.find(keywords[i]) != std::u16string::npos) return i;
    return -1;
}
constexpr int currency_type = 6;

// The keys of a template's placeholders in order; `unclosed` tells whether a "{" has no "}" after it.
std::vector<std::u16string> template_keys(std::u16string_view text, bool& unclosed) {
    std::vector<std::u16string> keys;
    unclosed = false;
    size_t p = 0;
    while ((p = text.find(u'{', p)) != std::u16string_view::npos) {
        const size_t close = text.find(u'}', p);
        if (close == std::u16string_view::npos) {
            unclosed = true;
            break;
        }
        keys.emplace_back(trim_white_space(text.substr(p + 1, close - p - 1)));
        p = close + 1;
    }
    return keys;
}

std::u16string item_name(const tag_t& item) {
    const auto* node = as_complex(item);
    const tag_t* name = node ? first_child(*node, Name) : nullptr;
    return name ? std::u16string(text_of(*name)) : std::u16string(texts::app_name);
}

unsigned kind_of_var(const var_t& var) {
    switch (var.type) {
        case string_var_t::type_code:
            return text_kind;
        case card_var_t::type_code:
            return card_kind;
        case bool_var_t::type_code:
            return flag_kind;
        default:
            return other_kind;
    }
}

// The variable a Parameter or Save binds, by its parent: a text for an input or a list, a card for a card
// selection, a flag for a check box entry.
unsigned kind_of_param(const tag_t& param) {
    if (!param.parent) return other_kind;
    switch (param.parent->code) {
        case Input:
        case Select:
            return text_kind;
        case SelectCard:
            return card_kind;
        case Item:
            return flag_kind;
        default:
            return other_kind;
    }
}

class checker_t {
public:
    explicit checker_t(const var_registry_t& vars) : vars_(vars) {}

    std::vector<finding_t> run(const tag_complex_t& root) {
        for (const auto& entry : vars_.entries()) globals_[entry.name] |= kind_of_var(*entry.var);
        // Variables the program itself makes.
        globals_[u"_smsISDN"] |= card_kind;
        for (const char16_t* name : {u"_app_version", u"_app_build", u"_app_date"}) globals_[name] |= text_kind;
        for (const auto& child : root.children) collect(*child, nullptr);

        for (const auto& child : root.children) check(*child, nullptr);
        check_menu(root);

        std::stable_sort(findings_.begin(), findings_.end(), [this](const finding_t& a, const finding_t& b) {
            return order_.at(a.tag) < order_.at(b.tag);
        });
        return std::move(findings_);
    }

private:
    struct list_facts_t {
        bool offered = false;       // a SelectCard outside add forms offers it
        bool has_template = false;  // an add form with ButtonAdd and a Delimeter gives it its display template
    };

    void find(rule_t rule, const tag_t& tag, std::u16string message) {
        findings_.push_back({rule, &tag, std::move(message)});
    }

    // First pass: document order, the variables each scope sets, the card lists and their add forms, the Ids.
    void collect(const tag_t& tag, const tag_t* item) {
        order_.emplace(&tag, order_.size());
        if (is_script_item(tag)) item = &tag;
        if (tag.code == Parameter || tag.code == Save) {
            const std::u16string name(text_of(tag));
            if (tag.code == Save) globals_[name] |= kind_of_param(tag);
            if (item) locals_[item][name] |= kind_of_param(tag);
            if (tag.code == Save && name == u"_smsISDN") bank_number_chosen_ = true;
        }
        if (tag.code == Help && tag.parent && is_script_item(*tag.parent)) {
            locals_[tag.parent][u"Help"] |= text_kind;
            locals_[tag.parent][u"BaseHelp"] |= text_kind;
        }
        if (tag.code == ISDN) {
            const auto number = text_of(tag);
            if (!number.empty() && number != u"000") bank_number_chosen_ = true;
        }
        if (tag.code == ButtonSendSMS) has_send_button_ = true;
        if (tag.code == Object && tag.parent && tag.parent->code == SelectCard && item) {
            const std::u16string list(text_of(tag));
            if (item->code == ScriptItem) lists_[list].offered = true;
            const auto& add = static_cast<const tag_complex_t&>(*item);
            if (item->code == ScriptItemAdd) {
                bound_list_[item] = list;
                const tag_t* delimeter = last_child(add, Delimeter);
                if (first_child(add, ButtonAdd) && delimeter && !text_of(*delimeter).empty())
                    lists_[list].has_template = true;
            }
        }
        if (tag.code == Id && tag.parent && !text_of(tag).empty()) ids_.insert(std::u16string(text_of(tag)));
        if (const auto* node = as_complex(tag))
            for (const auto& child : node->children) collect(*child, item);
    }

    bool stored_flag(const char16_t* name, bool fallback) const {
        const var_t* var = vars_.lookup(name);
        if (!var || var->type != bool_var_t::type_code) return fallback;
        return static_cast<const bool_var_t*>(var)->value;
    }

    bool stored_bank_number() const {
        const var_t* var = vars_.lookup(u"_smsISDN");
        if (!var || var->type != card_var_t::type_code) return false;
        const std::u16string& number = static_cast<const card_var_t*>(var)->card.id1;
        return !number.empty() && number != u"000";
    }

    // The findings of one tag; false when the tag has no effect where it stands (its children are then not
    // looked at: what they say cannot reach the user either).
    bool check_placement(const tag_t& tag) {
        const int32_t parent = tag.parent ? tag.parent->code : 0;
        const auto no_effect = [&] {
            find(rule_t::no_effect, tag,
                 format_text(texts::lint_msg_no_effect, {tag_name(tag.code), tag_name(parent)}));
            return false;
        };
        switch (tag.code) {
            case ScriptStorageFileName:
            case AppletFileName:
            case AppletURL:
            case ButtonOkCaption:
            case ButtonBackCaption:
            case ButtonReplayCaption:
            case TextSendOk:
            case TextSendFialure:
            case TextSending:
            case ButtonHelpCaption:
            case Icon:
            case Timeout:
            case Text:
            case Category:
            case Description:
            case ButtonAddName:
                find(rule_t::ignored_keyword, tag, format_text(texts::lint_msg_ignored_keyword, {tag_name(tag.code)}));
                return false;
            case InputMode:
                find(rule_t::no_effect, tag, format_text(texts::lint_msg_no_effect_anywhere, {tag_name(tag.code)}));
                return false;
            case Type:
                if (parent == smsISDN) return no_effect();
                break;
            case Caption:
            case Help:
            case EnterAlert:
                if (parent == ScriptList || parent == ScriptFavList) return no_effect();
                break;
            case NoItems:
                if (parent == ScriptItem) return no_effect();
                break;
            case Name:
                if (parent == MenuApplet) return no_effect();
                break;
            case ButtonOk:
            case ButtonBack:
            case ButtonHelp:
            case ButtonHelpAlert:
                // Only a script item's form shows the key.
                if (!is_script_item(*tag.parent)) return no_effect();
                break;
            case ButtonDel:
                // The favourites menu offers no key of the script's.
                if (parent == ScriptFavList) return no_effect();
                break;
            case Default:
                // Only a selection picks its default entry; a check box reads DefaultValue.
                if (parent == Item && tag.parent->parent && tag.parent->parent->code == CheckBox) return no_effect();
                break;
            case DefaultValue:
                if (parent == Item && tag.parent->parent && tag.parent->parent->code != CheckBox) return no_effect();
                break;
            case Delimeter:
                // The template reaches the card list only through the form's ButtonAdd.
                if (!first_child(static_cast<const tag_complex_t&>(*tag.parent), ButtonAdd)) return no_effect();
                break;
            case BankSpecified: {
                const auto option = text_of(tag);
                const bool known = option == u"QuillantoraRemovePoint" || option == u"QuillantoraChangeDate" ||
                                   option == u"zerofillbefore" || option == u"AddPlusSignBegin";
                const auto* input = parent == Input ? static_cast<const tag_complex_t*>(tag.parent) : nullptr;
                if (!known || !input || (!first_child(*input, Parameter) && !first_child(*input, Save))) {
                    find(rule_t::no_effect, tag, format_text(texts::lint_msg_bank_option_unknown, {option}));
                    return false;
                }
                break;
            }
            default:
                break;
        }
        return true;
    }

    void check_template(const tag_t& tag, const tag_t* item) {
        bool unclosed = false;
        const auto keys = template_keys(text_of(tag), unclosed);
        const kinds_t* local = nullptr;
        if (item) {
            auto found = locals_.find(item);
            if (found != locals_.end()) local = &found->second;
        }
        std::unordered_set<std::u16string> told;
        for (const auto& key : keys) {
            if (!told.insert(key).second) continue;
            unsigned kinds = 0;
            if (local)
                if (auto found = local->find(key); found != local->end()) kinds |= found->second;
            if (auto found = globals_.find(key); found != globals_.end()) kinds |= found->second;
            if (kinds & (text_kind | card_kind)) continue;
            if (kinds & flag_kind)
                find(rule_t::checkbox_in_template, tag, format_text(texts::lint_msg_checkbox_in_template, {key}));
            else
                find(rule_t::unknown_variable, tag, format_text(texts::lint_msg_unknown_variable, {key}));
        }
        if (unclosed) find(rule_t::unclosed_brace, tag, texts::lint_msg_unclosed_brace);
    }

    bool is_template(const tag_t& tag) const {
        const int32_t parent = tag.parent ? tag.parent->code : 0;
        switch (tag.code) {
            case String:
                return true;
            case Help:
                return parent == Form || parent == ButtonHelp || parent == ButtonHelpAlert;
            case EnterAlert:
                return parent == ScriptItem || parent == ScriptItemAdd;
            case UserRequest:
                return parent == ButtonSendSMS || parent == ButtonDel;
            case Body:
                return parent == ButtonSendSMS;
            default:
                return false;
        }
    }

    // Texts that look like templates but are used as they stand: a fixed entry's request and body replace the
    // whole request as written, and the favourites key asks its questions without expanding them.
    static bool is_literal_text(const tag_t& tag) {
        const int32_t parent = tag.parent ? tag.parent->code : 0;
        return ((tag.code == UserRequest || tag.code == Body) && parent == Item) || tag.code == UserRequestAdd ||
               tag.code == UserRequestDel;
    }

    void check_literal_braces(const tag_t& tag) {
        bool unclosed = false;
        const auto keys = template_keys(text_of(tag), unclosed);
        if (keys.empty()) return;
        find(rule_t::literal_braces, tag,
             format_text(texts::lint_msg_literal_braces,
                         {keys.front(), tag_name(tag.code), tag_name(tag.parent->code)}));
    }

    void check_unknown_words(const tag_t& tag) {
        const int32_t parent = tag.parent ? tag.parent->code : 0;
        const auto text = text_of(tag);
        if (tag.code == Mode && text != u"EXCLUSIVE" && text != u"POPUP" && text != u"IMPLICIT") {
            find(rule_t::unknown_word, tag, format_text(texts::lint_msg_unknown_word, {text, u"Mode", u"EXCLUSIVE"}));
        } else if (tag.code == Type && parent == Input && type_index(text) < 0) {
            find(rule_t::unknown_word, tag, format_text(texts::lint_msg_unknown_word, {text, u"Type", u"ANY"}));
        } else if (tag.code == PortPresent) {
            const std::u16string upper = upper_ascii(text);
            if (upper != u"TRUE" && upper != u"FALSE")
                find(rule_t::unknown_word, tag,
                     format_text(texts::lint_msg_unknown_word, {text, u"PortPresent", u"FALSE"}));
        }
    }

    void check_defaults(const tag_t& tag) {
        const auto* node = as_complex(tag);
        if (tag.code == DefaultValue && tag.parent && tag.parent->code == Item) {
            const std::u16string word = upper_ascii(text_of(tag));
            if (word != u"TRUE" && word != u"FALSE")
                find(rule_t::default_unmatched, tag,
                     format_text(texts::lint_msg_checkbox_default_unmatched, {text_of(tag)}));
        }
        if (tag.code == Input && node) check_input_default(*node);
        if (tag.code == Select && node) check_select_default(*node);
    }

    void check_input_default(const tag_complex_t& input) {
        const tag_t* value = last_child(input, DefaultValue);
        if (!value || text_of(*value).empty()) return;
        const auto text = text_of(*value);
        const tag_t* max = last_child(input, MaxLength);
        const long long max_length = max ? leading_number(text_of(*max)) : 0;
        if (max_length > 0 && (long long)text.size() > max_length) {
            find(rule_t::default_unmatched, *value,
                 format_text(texts::lint_msg_input_default_too_long, {text, number_text(max_length)}));
            return;
        }
        const tag_t* type = last_child(input, Type);
        const int index = type ? type_index(text_of(*type)) : -1;
        // The types whose control takes digits only, with the one sign or point each allows.
        bool fits = true;
        int points = 0;
        for (size_t i = 0; i < text.size() && fits; ++i) {
            const char16_t c = text[i];
            if (c >= u'0' && c <= u'9') continue;
            if (index == 2 && c == u'-' && i == 0) continue;
            if (index == 3 && c == u'+' && i == 0) continue;
            if ((index == 5 || index == currency_type) && c == u'.' && ++points == 1) continue;
            fits = false;
        }
        if (!fits && index >= 2 && index != 4 && index <= currency_type)
            find(rule_t::default_unmatched, *value,
                 format_text(texts::lint_msg_input_default_not_digits, {text, text_of(*type)}));
    }

    // A selection picks the entry whose Value equals its variable's stored value.
    void check_select_default(const tag_complex_t& select) {
        const tag_t* param = first_child(select, Parameter);
        if (!param) param = first_child(select, Save);
        if (!param) return;
        const std::u16string name(text_of(*param));
        const var_t* var = vars_.lookup(name);
        if (!var || var->type != string_var_t::type_code) return;
        const std::u16string& stored = static_cast<const string_var_t*>(var)->value;
        if (stored.empty()) return;
        for (const auto& child : select.children) {
            if (child->code != Item) continue;
            const tag_t* value = last_child(static_cast<const tag_complex_t&>(*child), Value);
            if (value && text_of(*value) == stored) return;
        }
        find(rule_t::default_unmatched, *param, format_text(texts::lint_msg_select_default_unmatched, {stored, name}));
    }

    void check_script_item(const tag_complex_t& item) {
        const bool fav_key = stored_flag(u"IsFavButton", true);
        const bool help_key = stored_flag(u"HelpAlertButton", false);
        int commands = 0;
        for (const auto& child : item.children) {
            const int32_t code = child->code;
            // The back key is the form's own soft key, not one of its commands.
            const bool shown = code == ButtonOk || code == ButtonSendSMS || code == ButtonAdd || code == ButtonDel ||
                               (code == ButtonFavAddDel && fav_key) ||
                               ((code == ButtonHelp || code == ButtonHelpAlert) && help_key);
            if (shown && ++commands > form_commands_shown)
                find(rule_t::too_many_commands, *child,
                     format_text(texts::lint_msg_too_many_commands,
                                 {number_text(commands), number_text(form_commands_shown)}));
        }
        if (item.code != ScriptItemAdd) return;
        const auto bound = bound_list_.find(&item);
        for (const auto& child : item.children) {
            if (child->code != ButtonAdd && child->code != ButtonDel) continue;
            if (bound == bound_list_.end()) {
                find(rule_t::add_form_no_list, *child, texts::lint_msg_add_form_no_list);
            } else if (!lists_[bound->second].offered && !(bound->second == u"s_phones" && has_send_button_)) {
                find(rule_t::add_button_unoffered, *child,
                     format_text(texts::lint_msg_add_button_unoffered, {bound->second}));
            }
            if (child->code == ButtonDel) {
                const auto* del = as_complex(*child);
                const tag_t* request = del ? last_child(*del, UserRequest) : nullptr;
                if (!request || text_of(*request).empty())
                    find(rule_t::del_never_deletes, *child, texts::lint_msg_del_never_deletes);
            }
        }
    }

    void check_send_button(const tag_complex_t& button) {
        const tag_t* body = last_child(button, Body);
        if (!body || trim_white_space(text_of(*body)).empty())
            find(rule_t::empty_body, button, texts::lint_msg_empty_body);
        if (!bank_number_chosen_ && !stored_bank_number())
            find(rule_t::no_bank_number, button, texts::lint_msg_no_bank_number);
    }

    void check_input_amount(const tag_complex_t& input) {
        bool minor_units = false;
        for (const auto& child : input.children)
            if (child->code == BankSpecified && text_of(*child) == u"QuillantoraRemovePoint") minor_units = true;
        if (!minor_units) return;
        const tag_t* type = last_child(input, Type);
        if (type && type_index(text_of(*type)) == currency_type) return;
        find(rule_t::amount_type, input,
             format_text(texts::lint_msg_amount_type, {type ? text_of(*type) : std::u16string_view(u"ANY")}));
    }

    void check_card_template(const tag_t& delimeter) {
        const auto text = text_of(delimeter);
        // A short text is put between "{id0}" and "{id1}".
        if (text.size() <= 3) return;
        bool unclosed = false;
        std::unordered_set<std::u16string> told;
        for (const auto& key : template_keys(text, unclosed)) {
            if (key == u"id0" || key == u"id1" || key == u"id2" || key == u"name" || key == u"id") continue;
            if (told.insert(key).second)
                find(rule_t::unknown_card_field, delimeter, format_text(texts::lint_msg_unknown_card_field, {key}));
        }
        if (unclosed) find(rule_t::unclosed_brace, delimeter, texts::lint_msg_unclosed_brace);
    }

    void check(const tag_t& tag, const tag_t* item) {
        if (!check_placement(tag)) return;
        if (is_script_item(tag)) item = &tag;
        const auto* node = as_complex(tag);
        if (is_template(tag)) check_template(tag, item);
        if (is_literal_text(tag)) check_literal_braces(tag);
        check_unknown_words(tag);
        check_defaults(tag);
        if (node && is_script_item(tag)) check_script_item(*node);
        if (node && tag.code == ButtonSendSMS && item) check_send_button(*node);
        if (node && tag.code == Input) check_input_amount(*node);
        if (tag.code == Delimeter) check_card_template(tag);
        if (node && tag.code == SelectCard) {
            const tag_t* object = last_child(*node, Object);
            if (object && !lists_[std::u16string(text_of(*object))].has_template)
                find(rule_t::card_list_no_template, tag,
                     format_text(texts::lint_msg_card_list_no_template, {text_of(*object)}));
        }
        if (node && (tag.code == ScriptList || tag.code == ScriptFavList) && !first_child(*node, Name))
            find(rule_t::menu_unreachable, tag, texts::lint_msg_menu_unreachable);
        if (tag.code == Id && tag.parent && !text_of(tag).empty()) {
            auto [first, fresh] = id_owner_.emplace(std::u16string(text_of(tag)), tag.parent);
            if (!fresh)
                find(rule_t::duplicate_id, tag,
                     format_text(texts::lint_msg_duplicate_id, {text_of(tag), item_name(*first->second)}));
        }
        if (node)
            for (const auto& child : node->children) check(*child, item);
    }

    // The main menu as one build makes it: a command per script item, a sub-menu per name of a list, a command
    // per favourite of the favourites list. The count stops at the first entry the menu cannot run, and
    // a bounded number of steps keeps lists named many times over from taking long.
    void check_menu(const tag_complex_t& root) {
        for (const auto& child : root.children)
            if (child->code == List) menu_entries(static_cast<const tag_complex_t&>(*child));
    }

    void menu_entries(const tag_complex_t& list) {
        for (const auto& child : list.children) {
            if (menu_done_ || ++menu_steps_ > 1000000) return;
            if (is_script_item(*child)) {
                count_command(*child);
            } else if (child->code == ScriptList) {
                const auto& sub = static_cast<const tag_complex_t&>(*child);
                for (const auto& name : sub.children) {
                    if (name->code != Name) continue;
                    for (const auto& inner : sub.children)
                        if (inner->code == List) menu_entries(static_cast<const tag_complex_t&>(*inner));
                }
            } else if (child->code == ScriptFavList) {
                count_favourites(static_cast<const tag_complex_t&>(*child));
            }
        }
    }

    void count_favourites(const tag_complex_t& fav_list) {
        const int names = int(std::count_if(fav_list.children.begin(), fav_list.children.end(),
                                            [](const auto& c) { return c->code == Name; }));
        const tag_t* object = last_child(fav_list, Object);
        const var_t* var = object ? vars_.lookup(std::u16string(text_of(*object))) : nullptr;
        if (!var || var->type != fav_list_var_t::type_code) return;
        const auto& favourites = static_cast<const fav_list_var_t&>(*var);
        for (int n = 0; n < names; ++n)
            for (int i = 0; i < favourites.count() && !menu_done_; ++i)
                if (ids_.count(favourites.fav_at(i).id)) count_command(fav_list);
    }

    void count_command(const tag_t& entry) {
        if (++menu_commands_ <= menu_commands_run) return;
        find(rule_t::too_many_menu_entries, entry,
             format_text(texts::lint_msg_too_many_menu_entries,
                         {number_text(menu_commands_), number_text(menu_commands_run)}));
        menu_done_ = true;
    }

    const var_registry_t& vars_;
    std::vector<finding_t> findings_;
    std::unordered_map<const tag_t*, size_t> order_;
    kinds_t globals_;
    std::unordered_map<const tag_t*, kinds_t> locals_;
    std::unordered_map<std::u16string, list_facts_t> lists_;
    std::unordered_map<const tag_t*, std::u16string> bound_list_;
    std::unordered_set<std::u16string> ids_;
    std::unordered_map<std::u16string, const tag_t*> id_owner_;
    bool bank_number_chosen_ = false;
    bool has_send_button_ = false;
    int menu_commands_ = 0;
    long menu_steps_ = 0;
    bool menu_done_ = false;
};

}  // namespace

std::vector<finding_t> check(const var_registry_t& vars, const tag_complex_t& root) {
    return checker_t(vars).run(root);
}

bool has_error(const std::vector<finding_t>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const finding_t& f) { return info(f.rule).severity == severity_t::error; });
}

}  // namespace lint
