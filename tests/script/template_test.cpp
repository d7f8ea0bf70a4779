// Template expansion with the variables of scripts/bank.xml.

#include <gtest/gtest.h>

#include "script/expand.h"
#include "script/factory.h"
#include "script/tag_codes.h"
#include "tests/support/script_fixture.h"
#include "vars/template_expand.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::string bank = OSTREVAN_TEST_SCRIPTS "/bank.cfg";

std::unique_ptr<tag_t> fresh_resolver() {
    return create_tag(tags::Text, nullptr);
}

}  // namespace

TEST(Expand, PlaceholdersTakeTheVariablesTexts) {
    script_fixture_t script(bank);
    global_vars->get_card(u"pick")->card.template_text = u"{id0}-{id1}";
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"BAL {card} ok", u"BAL 1234 ok"},
        {u"BAL {nothing} ok", u"BAL  ok"},  // a missing variable prints nothing
        {u"{ card }", u"1234"},             // white space around the name is trimmed
        {u"a{b", u"a{b"},
        {u"a}b{c", u"a}b{c"},
        {u"{x}{y}", u"YY"},                // x holds "{y}", which is expanded in turn
        {u"[{pick}]", u"[Баланс-BAL 1]"},  // a card prints its display text
        {u"", u""},
    };
    auto resolver = fresh_resolver();
    for (const auto& [templ, text] : cases) EXPECT_EQ(expand(templ, *resolver), text);
    EXPECT_FALSE(resolver->whole_text);

    // The item's own scope comes first.
    current_vars = &script.item(u"Перевод").vars;
    current_vars->get_string(u"card")->value = u"5678";
    EXPECT_EQ(expand(u"{card}", *resolver), u"5678");
    current_vars = global_vars;
}

TEST(Expand, ACardStandingForTheRequestReplacesTheWholeText) {
    script_fixture_t script(bank);
    card_t& pick = global_vars->get_card(u"pick")->card;
    pick.template_text = u"{id0}-{id1}";
    pick.script_entry = true;
    auto resolver = fresh_resolver();
    EXPECT_EQ(expand(u"PAY {pick} {card}", *resolver), u"Баланс-BAL 1");
    // The resolver remembers it until it resolves a card without the mark.
    EXPECT_EQ(expand(u"X {card}", *resolver), u"1234");
}

TEST(Expand, SelfReferencesStopAtTheBound) {
    script_fixture_t script(bank);
    auto resolver = fresh_resolver();
    for (const std::u16string templ : {u"{self}", u"<{ping}>"}) {
        const std::u16string text = expand(templ, *resolver);
        EXPECT_LE(text.size(), template_max_length + 16);
        // The rest of the template is left as it stands, the last placeholder included.
        EXPECT_NE(text.find(u'{'), std::u16string::npos);
    }
    EXPECT_EQ(expand(u"{self}", *resolver).substr(0, 4), u"aaaa");
    EXPECT_EQ(expand(u"{ping}", *resolver).substr(0, 4), u"pqpq");
}
