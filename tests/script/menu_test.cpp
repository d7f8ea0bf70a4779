// Menus and script items on the bank script of scripts/bank.xml, through the recording display.

#include <gtest/gtest.h>

#include <algorithm>

#include "core/text_error.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tag_codes.h"
#include "script/tag_errors.h"
#include "tests/support/script_fixture.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::string bank = OSTREVAN_TEST_SCRIPTS "/bank.cfg";

long count(const recording_display_t& display, const std::u16string& call) {
    return std::count(display.calls.begin(), display.calls.end(), call);
}

// A tag that stands in the form and fails as a card selection without cards does.
class no_cards_tag_t : public tag_simple_t {
public:
    void show() override { throw tag_card_list_empty_ex_t(this); }
};

// A tag that stands in the form and fails with a text error while armed.
class failing_tag_t : public tag_simple_t {
public:
    void show() override {
        if (armed) throw text_error_t(u"сбой");
    }
    bool armed = false;
};

}  // namespace

TEST(Menu, EntriesFollowTheChildrenAndTheirNames) {
    script_fixture_t script(bank);
    auto& top = script.find<List_tag_t>(tags::List);
    std::vector<std::u16string> captions;
    for (const menuitem_t& entry : top.entries) captions.push_back(entry.caption);
    // An item without a name is listed under the program's name; a sub-menu without a name is not listed,
    // one with two names twice.
    EXPECT_EQ(captions, (std::vector<std::u16string>{u"Ostrevan", u"Платежи", u"Оплата", u"Перевод", u"Типы",
                                                     u"Новая карта", u"Новый счёт", u"Новый телефон", u"Избранное"}));
    auto& payments = script.find<ScriptList_tag_t>(tags::ScriptList, 1);
    EXPECT_EQ(top.entries[1].target, &payments);
    EXPECT_EQ(top.entries[2].target, &payments);
    EXPECT_EQ(top.entries[3].target, &script.item(u"Перевод"));
    // The unlisted sub-menu is linked all the same: its item has its form and its entry.
    EXPECT_EQ(script.find<List_tag_t>(tags::List, 1).entries.at(0).target, &script.item(u"Скрытый"));

    // The root's show hands the entries to a list window in the same order.
    script.display.calls.clear();
    script.root->show();
    std::vector<std::u16string> added;
    for (const auto& call : script.display.calls)
        if (call.rfind(u"list.add_entry(", 0) == 0) added.push_back(call.substr(15, call.size() - 16));
    EXPECT_EQ(added, captions);
    EXPECT_EQ(script.display.calls.front(), u"create_list(Ostrevan)");
    EXPECT_EQ(script.display.calls.back(), u"list.close()");

    // A list that reports a pick opens the entries from the second on: 0 opens nothing, 1 the sub-menu.
    for (int pick : {0, 1}) {
        script.display.calls.clear();
        script.display.picks = {pick};
        script.root->show();
        EXPECT_EQ(count(script.display, u"create_list(Ostrevan)"), pick == 1 ? 2 : 1) << pick;
    }

    // A second link gives the same menu, not a doubled one.
    script.root->link();
    EXPECT_EQ(top.entries.size(), captions.size());
}

TEST(Menu, IdsFindItemsAndSubMenus) {
    script_fixture_t script(bank);
    auto& ids = *script_context.tags_by_id;
    EXPECT_EQ(ids.at(u"transfer"), &script.item(u"Перевод"));
    EXPECT_EQ(ids.at(u"payments"), &script.find<ScriptList_tag_t>(tags::ScriptList, 1));
    EXPECT_EQ(script.item(u"Перевод").id(), u"transfer");
}

TEST(Menu, FavouritesOpenTheirItemOrSayTheListIsEmpty) {
    script_fixture_t script(bank);
    auto& favs = script.find<ScriptFavList_tag_t>(tags::ScriptFavList);
    favs.show();
    EXPECT_EQ(script.display.calls.back(), u"alert.show(Список избранного пуст|0)");

    fav_list_var_t list;
    list.append(fav_t{u"transfer", u"Перевод", nullptr});
    list.append(fav_t{u"gone", u"Удалённый", nullptr});
    favs.favourites = &list;
    int shown = 0;
    script.display.on_form_show = [&](recording_form_t& form) {
        ++shown;
        EXPECT_EQ(form.title(), u"Перевод");
    };
    script.display.picks = {0};
    favs.show();
    EXPECT_EQ(shown, 1);
    // A favourite whose item left the script opens nothing.
    script.display.picks = {1};
    favs.show();
    EXPECT_EQ(shown, 1);
}

TEST(ScriptItem, RunsItsFormInItsOwnScopeAndRebuildsWithoutASecondEnterAlert) {
    script_fixture_t script(bank);
    auto& item = script.item(u"Перевод");
    // The help texts live in the item's own scope.
    ASSERT_TRUE(item.vars.lookup(u"Help"));
    EXPECT_EQ(static_cast<string_var_t*>(item.vars.lookup(u"Help"))->value, u"Справка перевода");
    EXPECT_EQ(static_cast<string_var_t*>(item.vars.lookup(u"BaseHelp"))->value, u"Справка перевода");
    EXPECT_EQ(global_vars->lookup(u"Help"), nullptr);

    int shows = 0;
    script.display.on_form_show = [&](recording_form_t& form) {
        ++shows;
        EXPECT_EQ(current_vars, &item.vars);
        EXPECT_EQ(form.items.size(), 8u);
        if (shows == 1) item.request_rebuild();
    };
    script.display.calls.clear();
    item.show();
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(current_vars, global_vars);
    EXPECT_EQ(count(script.display, u"alert.show(Здравствуйте, Иван!|0)"), 1);
    EXPECT_EQ(count(script.display, u"create_string_item(Перевод для Иван)"), 2);
    EXPECT_EQ(count(script.display, u"form[Ostrevan].clear()"), 2);

    // Each new run shows the alert again, as long as help alerts are on.
    for (bool on : {true, false}) {
        global_vars->get_bool(u"HelpAlert")->value = on;
        script.display.calls.clear();
        item.show();
        EXPECT_EQ(count(script.display, u"alert.show(Здравствуйте, Иван!|0)"), on ? 1 : 0) << on;
    }
}

TEST(ScriptItem, HelpAlertOfAnotherTypeIsAnError) {
    script_fixture_t script(bank);
    global_vars->put(u"HelpAlert", std::make_unique<string_var_t>(u"да"));
    try {
        script.item(u"Перевод").show();
        ADD_FAILURE() << "no error";
    } catch (const text_error_t& e) {
        EXPECT_EQ(e.text(), u"Не тот тип переменной");
    }
    EXPECT_EQ(current_vars, global_vars);
}

TEST(ScriptItem, EmptyCardListEndsTheRunWithoutTheForm) {
    script_fixture_t script(bank);
    auto& item = script.item(u"Связь");
    auto& form_tag = static_cast<tag_complex_t&>(*item.children.back());
    form_tag.children.push_back(std::make_unique<no_cards_tag_t>());
    script.display.calls.clear();
    item.show();
    EXPECT_EQ(count(script.display, u"form[Ostrevan].show()"), 0);
    EXPECT_EQ(current_vars, global_vars);
}

TEST(ScriptItem, RunToAddTellsWhetherCodeEndedTheForm) {
    script_fixture_t script(bank);
    auto& add = static_cast<ScriptItemAdd_tag_t&>(script.item(u"Новая карта"));
    card_list_var_t cards;
    add.card_list = &cards;
    add.card_var_name = u"pick";
    bool add_new_seen = false;
    script.display.on_form_show = [&](recording_form_t& form) {
        EXPECT_TRUE(add.adding);
        add_new_seen = global_vars->get_card(u"pick")->card.add_new;
        form.close();
    };
    EXPECT_TRUE(add.run_to_add());
    EXPECT_TRUE(add_new_seen);
    EXPECT_FALSE(add.adding);
    EXPECT_FALSE(add.nested);
    EXPECT_EQ(count(script.display, u"alert.show(Карт пока нет|0)"), 1);

    // The user leaves with "Назад"; a list that has cards says nothing first.
    cards.append(card_t{u"Visa", u"1111", u""});
    script.display.calls.clear();
    script.display.on_form_show = [](recording_form_t&) {};
    EXPECT_FALSE(add.run_to_add());
    EXPECT_EQ(count(script.display, u"alert.show(Карт пока нет|0)"), 0);
}

TEST(ScriptItem, AnErrorDuringARebuildLeavesTheNextRunWhole) {
    script_fixture_t script(bank);
    auto& item = script.item(u"Перевод");
    auto failing = std::make_unique<failing_tag_t>();
    failing_tag_t* fault = failing.get();
    for (auto& child : item.children)
        if (child->code == tags::Form) static_cast<tag_complex_t&>(*child).children.push_back(std::move(failing));
    script.display.on_form_show = [&](recording_form_t&) {
        fault->armed = true;
        item.request_rebuild();
    };
    EXPECT_THROW(item.show(), text_error_t);

    fault->armed = false;
    script.display.on_form_show = [](recording_form_t&) {};
    script.display.calls.clear();
    item.show();
    EXPECT_EQ(count(script.display, u"alert.show(Здравствуйте, Иван!|0)"), 1);
}
