#include "messaging/sms_rule.h"

#include <gtest/gtest.h>

#include "core/u16.h"

namespace {

struct match_case {
    const char16_t* prefix;
    bool enabled;
    const char16_t* text;
    bool accepted;
    const char16_t* after;
};

TEST(SmsRule, BankRuleMatchesPrefixAndMarker) {
    const match_case cases[] = {
        {u"{7}", true, u"{7}Баланс 100 APP_PORT=2201", true, u"Баланс 100 APP_PORT=2201"},
        {u"{7}", true, u"Баланс 100 APP_PORT=2201", false, u"Баланс 100 APP_PORT=2201"},
        {u"{7}", true, u"{8}Баланс APP_PORT=2201", false, u"{8}Баланс APP_PORT=2201"},
        {u"{7}", true, u"{7", false, u"{7"},
        {u"{7}", false, u"Баланс APP_PORT=2201", true, u"Баланс APP_PORT=2201"},
        {u"{7}", false, u"{7}Баланс APP_PORT=2201", true, u"{7}Баланс APP_PORT=2201"},
        {u"", true, u"Баланс APP_PORT=2201", true, u"Баланс APP_PORT=2201"},
        {u"", false, u"APPPORT=2201", true, u"APPPORT=2201"},
        {u"", false, u"Баланс APP_PORT=2202", false, u"Баланс APP_PORT=2202"},
        {u"", false, u"app_port=2201", false, u"app_port=2201"},
        {u"", false, u"", false, u""},
        // The marker may be cut by the prefix: the search runs on what is left.
        {u"{APP_PORT=2201}", true, u"{APP_PORT=2201}x", false, u"x"},
    };
    for (const auto& c : cases) {
        qlt_sms_rule_t rule;
        rule.set_prefix(c.prefix);
        rule.set_enabled(c.enabled);
        std::u16string text = c.text;
        EXPECT_EQ(rule.match(text), c.accepted) << to_utf8(c.text);
        EXPECT_EQ(text, c.after) << to_utf8(c.text);
    }
}

TEST(SmsRule, BaseRuleIgnoresMarkers) {
    sms_rule_t rule;
    rule.set_prefix(u"{7}");
    rule.set_enabled(true);
    std::u16string text = u"{7}Привет";
    EXPECT_TRUE(rule.match(text));
    EXPECT_EQ(text, u"Привет");
}

TEST(SmsRule, ConfirmationCode) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Подтвердите платеж кодом CFM123456.", u"CFM123456"},
        {u"XCFM12 CFM34", u"CFM34"},
        {u"Код CFM", u""},
        {u"CFMx", u"CFM"},
        {u"(CFM77)", u"CFM77"},
        {u"cfm1", u""},
        {u"CFM1", u"CFM1"},
        {u"", u""},
        {u"CF", u""},
        {u"aCFM1", u""},
        {u"aCFM1 CFM", u""},
        {u"CFMCFM1", u"CFM"},
        {u"ЯCFM1 #CFM2 0CFM3", u""},
        {u"\tCFM1", u""},
        {u"CFM12a34", u"CFM12"},
    };
    sms_rule_t rule;
    for (const auto& [text, code] : cases) EXPECT_EQ(rule.confirmation_code(text), code) << to_utf8(text);
}

TEST(SmsRule, EveryDelimiterStartsACode) {
    sms_rule_t rule;
    for (char16_t d : std::u16string_view(u" !\"'()*+,-./:;=?[\\]_{|}")) {
        std::u16string text = u"x";
        text += d;
        text += u"CFM9";
        EXPECT_EQ(rule.confirmation_code(text), u"CFM9") << to_utf8(text);
    }
    for (char16_t d : std::u16string_view(u"#$%&<>@^`~09AzЖ\n")) {
        std::u16string text = u"x";
        text += d;
        text += u"CFM9";
        EXPECT_EQ(rule.confirmation_code(text), u"") << to_utf8(text);
    }
}

TEST(SmsRule, RemoveBankMarkers) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Баланс APP_PORT=2201", u"Баланс "},
        {u"APP_PORT=2201 A APP_PORT=2201", u" A APP_PORT=2201"},
        {u"APPPORT=2201 A APP_PORT=2201 B", u" A  B"},
        {u"без маркера", u"без маркера"},
    };
    for (const auto& [text, cleaned] : cases) {
        std::u16string t = text;
        remove_bank_markers(t);
        EXPECT_EQ(t, cleaned) << to_utf8(text);
    }
}

TEST(SmsRule, CodeCutByALostPartIsNeverFound) {
    // The text of a message handed out with parts missing, and the code that may still be read from it.
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Код CFM12[…] APP_PORT=2201", u""},                // the digits run into the lost part
        {u"Код CFM[…]", u""},                                // nothing but the letters before it
        {u"[…]Код CFM123456. APP_PORT=2201", u"CFM123456"},  // whole within a part that came
        {u"Код CFM123456 и […]", u"CFM123456"},
    };
    sms_rule_t rule;
    for (const auto& [text, code] : cases) {
        std::u16string t = text;
        break_cut_codes(t, u"[…]");
        EXPECT_EQ(rule.confirmation_code(t), code) << to_utf8(text);
    }
}

}  // namespace
