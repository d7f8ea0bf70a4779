// The bank's number and the request trailer, handed to messaging once the script is loaded.
#include "messaging/messaging.h"
#include "script/header_tags.h"
#include "script/script_context.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

constexpr char16_t bank_number_var[] = u"_smsISDN";
constexpr char16_t no_number[] = u"000";

}  // namespace

void ISDN_tag_t::link() {
    if (!global_vars) return;
    card_t from_script;
    from_script.id1 = text == no_number ? std::u16string() : text;
    // A number the user chose or entered is kept in the settings and wins over the script's.
    card_var_t* number = global_vars->get_card_or(bank_number_var, from_script);
    if (number->card.id1 == no_number) number->card.id1.clear();
    messaging_t* messaging = script_context.messaging;
    if (messaging) messaging->set_number(number->card.id1);
    if (const attribute_map_t* attributes = this->attributes()) {
        if (const tag_text_t* suffix = attributes->find(u"smsSuffix"); suffix && messaging) {
            messaging->set_suffix(*suffix);
        }
        const std::pair<const char16_t*, const char16_t*> versions[] = {
            {u"appVersion", u"_app_version"}, {u"appBuild", u"_app_build"}, {u"appDate", u"_app_date"}};
        for (const auto& [attribute, var_name] : versions)
            if (const tag_text_t* value = attributes->find(attribute))
                global_vars->get_string(var_name)->value = *value;
    }
    const std::u16string& version = global_vars->get_string(u"_app_version")->value;
    if (!version.empty() && messaging) messaging->set_version(version);
}
