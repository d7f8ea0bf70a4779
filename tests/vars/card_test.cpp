// Card display through templates, card lists and favourite lists.
#include <gtest/gtest.h>

#include "vars/card_list_var.h"
#include "vars/card_var.h"
#include "vars/fav_list_var.h"
#include "vars/template_expand.h"

namespace {

TEST(ExpandCard, ReplacesFieldPlaceholders) {
    card_t card{u"1111", u"Visa", u"Иванов"};
    struct {
        std::u16string templ;
        std::u16string text;
    } cases[] = {
        {u"{id0} - {id1}", u"1111 - Visa"},
        {u"{name}/{id}/{id2}", u"1111/Visa/Иванов"},
        {u"{ id0 }", u"1111"},        // white space around the key is trimmed
        {u"[{x}][{Name}]", u"[][]"},  // unknown keys, and names are case-sensitive
        {u"a{b", u"a{b"},
        {u"a}b{c", u"a}b{c"},
        {u"{id0", u"{id0"},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(expand_card(c.templ, card), c.text);
    EXPECT_EQ(card.display(), u"1111-Visa");
}

TEST(ExpandCard, ValuesAreExpandedAgainButNeverForever) {
    card_t card{u"{id1}", u"<{id2}>", u"z"};
    EXPECT_EQ(expand_card(u"{id0}", card), u"<z>");

    card_t loop{u"a{id0}", u"", u""};
    std::u16string text = expand_card(u"{id0}", loop);
    EXPECT_EQ(text.substr(0, 3), u"aaa");
    EXPECT_LE(text.size(), template_max_length + 10);

    card_t same{u"{id0}", u"", u""};
    EXPECT_EQ(expand_card(u"{id0}", same), u"{id0}");
}

TEST(CardVar, FreshDisplaysDashAndACopiedCardBringsItsTemplate) {
    card_var_t v;
    EXPECT_EQ(v.card.display(), u" - ");
    card_t card{u"1234", u"Main", u""};
    v.set_card(card);
    EXPECT_EQ(v.card.display(), u"1234-Main");
}

TEST(CardList, HandsOutCopiesWithTheListTemplate) {
    card_list_var_t list;
    card_t first{u"1111", u"Visa", u""};
    first.add_new = true;
    list.append(first);
    list.append({u"2222", u"Mir", u""});
    list.set_template(u"{id1} {id0}");
    card_t got = list.card_at(0);
    EXPECT_EQ(got.template_text, u"{id1} {id0}");
    EXPECT_FALSE(got.add_new);
    EXPECT_EQ(list.display_at(1), u"Mir 2222");
    EXPECT_EQ(list.find_display(u"Mir 2222"), 1);
    EXPECT_EQ(list.find_display(u"2222-Mir"), -1);
    EXPECT_TRUE(list.card_at(0) == card_t({u"1111", u"Visa", u"", u"other", true, true}));

    list.insert_at({u"0", u"", u""}, 0);
    list.insert_at({u"9", u"", u""}, 99);
    list.remove_at(1);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.card_at(0).id0, u"0");
    EXPECT_EQ(list.card_at(1).id0, u"2222");
    EXPECT_EQ(list.card_at(2).id0, u"9");
    EXPECT_EQ(card_list_var_t().find_display(u""), -1);
}

TEST(FavList, KeepsOrderAndTheItemsOfThisRun) {
    // Items are only compared, never used: any two distinct addresses stand for them.
    char slots[2];
    auto* balance_item = reinterpret_cast<ScriptItem_tag_t*>(&slots[0]);
    auto* pay_item = reinterpret_cast<ScriptItem_tag_t*>(&slots[1]);
    fav_list_var_t favs;
    favs.append({u"loaded", u"Загруженный", nullptr});
    favs.append({u"balance", u"Баланс", balance_item});
    favs.append({u"other", u"Другой", nullptr});
    favs.append({u"pay", u"Платёж", pay_item});
    favs.remove_at(0);
    favs.remove_at(1);
    ASSERT_EQ(favs.count(), 2);
    EXPECT_EQ(favs.fav_at(0).name, u"Баланс");
    EXPECT_EQ(favs.fav_at(0).item, balance_item);
    EXPECT_EQ(favs.fav_at(1).id, u"pay");
    EXPECT_EQ(favs.fav_at(1).item, pay_item);
    EXPECT_EQ(favs.find_id(u"pay"), 1);
    EXPECT_EQ(favs.find_id(u"loaded"), -1);
    favs.append({u"late", u"", nullptr});
    EXPECT_EQ(favs.fav_at(2).item, nullptr);
}

}  // namespace
