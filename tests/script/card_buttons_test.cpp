// The add form of the cards: a card added at the place of its priority, a card edited keeping its third
// field, a card deleted only after the question; the add form run from a card selection; favourites.
#include <gtest/gtest.h>

#include <algorithm>

#include "resources/texts.h"
#include "script_run.h"

namespace {

std::vector<std::u16string> card_names() {
    std::vector<std::u16string> names;
    const card_list_var_t& list = *global_vars->get_card_list(u"cards");
    for (int i = 0; i < list.count(); ++i) names.push_back(list.card_at(i).id0 + u"/" + list.card_at(i).id2);
    return names;
}

TEST(ButtonAdd, NewCardGoesToThePlaceOfItsPriority) {
    struct place_case_t {
        std::u16string priority;
        std::vector<std::u16string> cards;
    };
    const place_case_t cases[] = {
        {u"1", {u"Новая/", u"Зарплатная/z", u"Кредитная/k"}},
        {u"2", {u"Зарплатная/z", u"Новая/", u"Кредитная/k"}},
        {u"0", {u"Зарплатная/z", u"Новая/", u"Кредитная/k"}},  // before the last
        {u"9", {u"Зарплатная/z", u"Кредитная/k", u"Новая/"}},
        {u"-4", {u"Новая/", u"Зарплатная/z", u"Кредитная/k"}},
        {u"первая", {u"Зарплатная/z", u"Новая/", u"Кредитная/k"}},  // not a number reads as 0
    };
    for (const auto& c : cases) {
        script_run_t run("payment");
        int shows = 0;
        run.run(u"addcard", [&](recording_form_t& form) {
            ++shows;
            auto& cards = user::select(form, u"Выбор:");
            if (shows == 1) {
                cards.pick(int(cards.options.size()) - 1);  // "Добавить еще..."
                return;
            }
            if (shows == 2) {
                EXPECT_EQ(user::input(form, u"Название").value, u"");
                EXPECT_EQ(user::input(form, u"Место").value, u"3");
                user::type(form, u"Название", u"Новая");
                user::type(form, u"Номер", u"1111");
                user::type(form, u"Место", c.priority);
                EXPECT_TRUE(user::press(form, u"Сохранить"));
            }
        });
        EXPECT_EQ(shows, 3) << "the add form is built again after the card was added";
        EXPECT_EQ(card_names(), c.cards) << std::string(c.priority.begin(), c.priority.end());
    }
}

TEST(ButtonAdd, EditedCardKeepsItsThirdFieldAndMoves) {
    script_run_t run("payment");
    int shows = 0;
    run.run(u"addcard", [&](recording_form_t& form) {
        ++shows;
        if (shows == 1) {
            EXPECT_EQ(user::input(form, u"Название").value, u"Зарплатная");
            user::select(form, u"Выбор:").pick(1);
            return;
        }
        if (shows == 2) {
            EXPECT_EQ(user::input(form, u"Название").value, u"Кредитная");
            EXPECT_EQ(user::input(form, u"Номер").value, u"5469000033334444");
            EXPECT_EQ(user::input(form, u"Место").value, u"2");
            user::type(form, u"Название", u"Кредитка");
            user::type(form, u"Место", u"1");
            EXPECT_TRUE(user::press(form, u"Сохранить"));
        }
    });
    EXPECT_EQ(card_names(), (std::vector<std::u16string>{u"Кредитка/k", u"Зарплатная/z"}));
}

TEST(ButtonDel, DeletesOnlyAfterTheQuestion) {
    struct del_case_t {
        std::u16string item;
        std::deque<bool> answers;
        std::vector<std::u16string> cards;
        std::vector<std::u16string> questions;
    };
    const del_case_t cases[] = {
        {u"addcard", {true}, {u"Кредитная/k"}, {u"alert.show(Удалить карту Зарплатная?|2)"}},
        {u"addcard", {false}, {u"Зарплатная/z", u"Кредитная/k"}, {u"alert.show(Удалить карту Зарплатная?|2)"}},
        {u"delcard", {}, {u"Зарплатная/z", u"Кредитная/k"}, {}},  // no question written: never deletes
    };
    for (const auto& c : cases) {
        script_run_t run("payment");
        int shows = 0;
        run.run(c.item, [&](recording_form_t& form) {
            if (++shows > 1) return;
            run.display.answers = c.answers;
            EXPECT_TRUE(user::press(form, u"Удалить"));
        });
        EXPECT_EQ(shows, 2);
        EXPECT_EQ(card_names(), c.cards);
        EXPECT_EQ(run.alerts(), c.questions);
    }
}

TEST(ButtonDel, FormWithoutItemsIsNotBuiltAgainForEver) {
    script_run_t run("choices");
    global_vars->get_card(u"item");
    // No items: the form presses its confirming key instead of showing; the key must not ask for the form again.
    run.run(u"bare", [](recording_form_t&) { FAIL() << "a form without items is not shown"; });
    const auto form_shows = std::count_if(run.display.calls.begin(), run.display.calls.end(), [](const auto& call) {
        return call.rfind(u"form[", 0) == 0 && call.ends_with(u".show()");
    });
    EXPECT_EQ(form_shows, 1);
}

TEST(SelectCard, AddFormRunFromTheSelectionAddsOrRestoresThePick) {
    for (const bool save : {false, true}) {
        script_run_t run("payment");
        std::vector<std::u16string> picks;
        int shows = 0;
        run.run(u"pay", [&](recording_form_t& form) {
            ++shows;
            if (form.title() == u"Карта") {
                EXPECT_EQ(user::input(form, u"Место").value, u"3") << "a new card is entered";
                if (!save) return;  // "Назад"
                user::type(form, u"Название", u"Новая");
                user::type(form, u"Номер", u"1111");
                EXPECT_TRUE(user::press(form, u"Сохранить"));
                return;
            }
            auto& cards = user::select(form, u"Карта");
            picks.push_back(cards.selected_text());
            if (picks.size() == 1) cards.pick(1);
            if (picks.size() == 2) cards.pick(int(cards.options.size()) - 1);  // "Добавить еще..."
        });
        const std::u16string first = u"Зарплатная - 4276000011112222";
        const std::u16string second = u"Кредитная - 5469000033334444";
        ASSERT_EQ(picks.size(), 3u);
        EXPECT_EQ(picks[1], second);
        // Left with "Назад", the pick from before the add form is back; after an added card the offer line
        // gives way to the first card.
        EXPECT_EQ(picks[2], save ? first : second);
        EXPECT_EQ(global_vars->get_card_list(u"cards")->count(), save ? 3 : 2);
    }
}

TEST(ButtonFavAddDel, AddsAndRemovesWithTheCaptionTurning) {
    script_run_t run("choices");
    std::vector<std::u16string> captions;
    run.run(u"fav", [&](recording_form_t& form) {
        ASSERT_EQ(form.buttons.size(), 1u) << "the help key stays out without HelpAlertButton";
        captions.push_back(form.buttons[0]->caption);
        if (captions.size() == 3) return;
        run.display.answers = {true};
        EXPECT_TRUE(user::press(form, form.buttons[0]->caption));
        if (captions.size() == 1) {
            const fav_list_var_t* favs = global_vars->get_fav_list(u"favs");
            ASSERT_EQ(favs->count(), 1);
            EXPECT_EQ(favs->fav_at(0).id, u"fav");
            EXPECT_EQ(favs->fav_at(0).name, u"Избранное");
        }
    });
    EXPECT_EQ(captions,
              (std::vector<std::u16string>{texts::fav_add_caption, texts::fav_remove_caption, texts::fav_add_caption}));
    EXPECT_EQ(run.alerts(), (std::vector<std::u16string>{u"alert.show(Добавить?|2)", u"alert.show(Убрать?|2)"}));
    EXPECT_EQ(global_vars->get_fav_list(u"favs")->count(), 0);
}

TEST(ButtonFavAddDel, WithoutQuestionsAsksAPlainOne) {
    script_run_t run("choices");
    int shows = 0;
    run.run(u"fav_plain", [&](recording_form_t& form) {
        if (++shows == 3) return;
        run.display.answers = {true};
        EXPECT_TRUE(user::press(form, form.buttons[0]->caption));
    });
    const std::u16string add = std::u16string(u"alert.show(") + texts::fav_add_question + u"|2)";
    const std::u16string remove = std::u16string(u"alert.show(") + texts::fav_remove_question + u"|2)";
    EXPECT_EQ(run.alerts(), (std::vector<std::u16string>{add, remove}));
    EXPECT_EQ(global_vars->get_fav_list(u"favs")->count(), 0);
}

TEST(ButtonFavAddDel, HiddenWhenIsFavButtonIsOff) {
    script_run_t run("choices");
    global_vars->get_bool(u"IsFavButton")->value = false;
    run.run(u"fav", [&](recording_form_t& form) { EXPECT_TRUE(form.buttons.empty()); });
}

TEST(ButtonHelp, KeyOnlyWithHelpAlertButtonAndShowsTheExpandedHelp) {
    script_run_t run("choices");
    global_vars->get_bool(u"HelpAlertButton")->value = true;
    global_vars->get_string(u"topic")->value = u"избранному";
    run.run(u"fav", [&](recording_form_t& form) {
        ASSERT_EQ(form.buttons.size(), 2u);
        EXPECT_EQ(form.buttons[1]->caption, texts::button_help);
        EXPECT_TRUE(user::press(form, texts::button_help));
    });
    EXPECT_EQ(run.alerts(), (std::vector<std::u16string>{u"alert.show(Справка по избранному|0)"}));
}

}  // namespace
