// The send key of a form: the confirmation built from what the user chose, the request built from codes,
// the send with its retry question, and what the user is told when nothing can be sent.
#include <gtest/gtest.h>

#include "resources/texts.h"
#include "script_run.h"

namespace {

const std::u16string card_one = u"Зарплатная - 4276000011112222";

// Fills the transfer form and presses "Отправить"; the confirmation is answered with `answers`.
void fill_transfer(recording_form_t& form, recording_display_t& display, std::deque<bool> answers) {
    user::choose(form, u"Валюта", u"Доллары");
    user::type(form, u"Сумма", u"12.5");
    user::type(form, u"Срок", u"1209");
    user::type(form, u"Счёт", u"42");
    display.answers = std::move(answers);
    EXPECT_TRUE(user::press(form, u"Отправить"));
}

std::u16string question(const std::u16string& text) {
    return u"alert.show(" + text + u"|2)";
}

std::u16string told(const std::u16string& text, int kind) {
    return u"alert.show(" + text + u"|" + std::u16string(1, char16_t(u'0' + kind)) + u")";
}

TEST(SendAction, ConfirmationShowsChoicesAndTheSmsCarriesCodes) {
    script_run_t run("payment");
    EXPECT_EQ(run.sms.number, u"+79001234567") << "the script's number reaches messaging at link";
    EXPECT_EQ(run.sms.version, u"3.1");
    bool open_after_send = true;
    run.run(u"pay", [&](recording_form_t& form) {
        EXPECT_EQ(user::select(form, u"Карта").selected_text(), card_one) << "the first card is picked";
        fill_transfer(form, run.display, {true});
        open_after_send = form.is_open();
    });
    EXPECT_EQ(run.alerts(), (std::vector<std::u16string>{
                                question(u"Перевести 12.5 Доллары с карты " + card_one + u" на счёт 00000042 до 1209?"),
                                told(texts::send_succeeded, 0)}));
    ASSERT_EQ(run.sms.sent.size(), 1u);
    EXPECT_EQ(run.sms.sent[0].number, u"+79001234567");
    EXPECT_EQ(run.sms.sent[0].text, u"PAY 4276000011112222 840 01250 0912 00000042");
    EXPECT_FALSE(open_after_send) << "a sent request closes the form";
}

TEST(SendAction, NoToTheConfirmationSendsNothingAndKeepsTheForm) {
    script_run_t run("payment");
    bool open = false;
    run.run(u"pay", [&](recording_form_t& form) {
        fill_transfer(form, run.display, {false});
        open = form.is_open();
        EXPECT_EQ(user::input(form, u"Сумма").value, u"12.5");
    });
    EXPECT_TRUE(open);
    EXPECT_TRUE(run.sms.attempts.empty());
}

TEST(SendAction, RetryResendsTheFirstBodyUntilSentOrDeclined) {
    struct retry_case_t {
        std::deque<bool> results;
        std::deque<bool> answers;  // confirmation, then one per retry question
        size_t attempts;
        bool succeeded;
    };
    for (const retry_case_t& c : {retry_case_t{{false, false, true}, {true, true, true}, 3, true},
                                  retry_case_t{{false}, {true, false}, 1, false}}) {
        script_run_t run("payment");
        run.sms.results = c.results;
        // The values change while the first send fails; the retries must not pick that up.
        run.sms.on_send = [] { lookup_string(u"sum")->value = u"999"; };
        bool open = false;
        run.run(u"pay", [&](recording_form_t& form) {
            fill_transfer(form, run.display, c.answers);
            open = form.is_open();
        });
        ASSERT_EQ(run.sms.attempts.size(), c.attempts);
        for (const auto& attempt : run.sms.attempts)
            EXPECT_EQ(attempt.text, u"PAY 4276000011112222 840 01250 0912 00000042");
        EXPECT_EQ(open, !c.succeeded);
        EXPECT_EQ(run.alerts().back(),
                  c.succeeded ? told(texts::send_succeeded, 0) : question(texts::send_retry_question));
        EXPECT_TRUE(run.display.answers.empty());
    }
}

TEST(SendAction, FixedChoiceReplacesTheWholeQuestionAndBodyOnlyWhilePicked) {
    script_run_t run("payment");
    int shows = 0;
    run.run(u"pay", [&](recording_form_t& form) {
        ++shows;
        if (shows == 1) {
            auto& cards = user::select(form, u"Карта");
            EXPECT_EQ(cards.options,
                      (std::vector<std::u16string>{card_one, u"Кредитная - 5469000033334444", u"По всем картам",
                                                   u"По кредитным", u"Добавить еще..."}));
            cards.pick(2);  // the form closes and is built again
            return;
        }
        if (shows == 2) {
            // Of two fixed choices, the one picked stays picked.
            EXPECT_EQ(user::select(form, u"Карта").selected_text(), u"По всем картам");
            fill_transfer(form, run.display, {true});
            return;
        }
    });
    ASSERT_EQ(run.sms.sent.size(), 1u);
    EXPECT_EQ(run.sms.sent[0].text, u"ALL");
    EXPECT_EQ(run.alerts()[0], question(u"все карты"));

    // Back to a card: the next request is whole again although its question starts with a text.
    run.display.calls.clear();
    shows = 0;
    run.run(u"pay", [&](recording_form_t& form) {
        if (++shows == 1) {
            user::select(form, u"Карта").pick(1);
            return;
        }
        if (shows == 2) fill_transfer(form, run.display, {true});
    });
    ASSERT_EQ(run.sms.sent.size(), 2u);
    EXPECT_EQ(run.sms.sent[1].text, u"PAY 5469000033334444 840 01250 0912 00000042");
    EXPECT_EQ(run.alerts()[0],
              question(u"Перевести 12.5 Доллары с карты Кредитная - 5469000033334444 на счёт 00000042 до 1209?"));
}

TEST(SendAction, WithoutBankNumberTheUserIsToldAndTheFormStays) {
    for (const std::u16string number : {u"000", u""}) {
        script_run_t run("payment");
        global_vars->get_card(u"_smsISDN")->card.id1 = number;
        bool open = false;
        run.run(u"pay", [&](recording_form_t& form) {
            fill_transfer(form, run.display, {true});
            open = form.is_open();
        });
        EXPECT_TRUE(run.sms.attempts.empty());
        EXPECT_TRUE(open);
        EXPECT_EQ(run.alerts().back(), told(texts::send_failed_check_bank_number, 1));
    }
}

TEST(SendAction, EmptyRequestIsNotReportedAsSent) {
    script_run_t run("payment");
    bool open = false;
    run.run(u"code", [&](recording_form_t& form) {
        run.display.answers = {true};
        EXPECT_TRUE(user::press(form, texts::button_ok));
        open = form.is_open();
    });
    EXPECT_TRUE(run.sms.attempts.empty());
    EXPECT_TRUE(open);
    EXPECT_EQ(run.alerts(),
              (std::vector<std::u16string>{question(u"Отправить код ?"), told(texts::send_empty_request, 1)}));
}

TEST(SendAction, NumberKeptInTheSettingsWinsOverTheScripts) {
    script_run_t run("payment");
    global_vars->get_card(u"_smsISDN")->card.id1 = u"+79990000000";
    run.restart();
    EXPECT_EQ(global_vars->get_card(u"_smsISDN")->card.id1, u"+79990000000");
    EXPECT_EQ(run.sms.number, u"+79990000000");
}

}  // namespace

namespace {

// The add form of the bank numbers, filled with one number, or left with "Назад" when `number` is empty.
void enter_number(recording_form_t& form, const std::u16string& number) {
    EXPECT_EQ(user::input(form, u"Место").value, u"1");
    if (number.empty()) return;
    user::type(form, u"Название", u"Основной");
    user::type(form, u"Номер", number);
    EXPECT_TRUE(user::press(form, u"Сохранить"));
}

TEST(SendAction, WithoutAnyNumberTheAddFormComesFirst) {
    for (const std::u16string number : {u"", u"+79001112233"}) {
        script_run_t run("phones");
        std::vector<std::u16string> forms;
        run.run(u"balance", [&](recording_form_t& form) {
            forms.push_back(form.title());
            if (form.title() == u"Новый номер") enter_number(form, number);
        });
        // Left empty, the form that needs the number is not shown at all.
        const std::vector<std::u16string> expected = number.empty()
                                                         ? std::vector<std::u16string>{u"Новый номер"}
                                                         : std::vector<std::u16string>{u"Новый номер", u"Баланс"};
        EXPECT_EQ(forms, expected);
        EXPECT_EQ(run.alerts().front(), u"alert.show(Номеров нет|0)");
        EXPECT_EQ(global_vars->get_card_list(u"s_phones")->count(), number.empty() ? 0 : 1);
    }
}

TEST(SendAction, AddFormOfTheNumbersWithASendKeyDoesNotRunItself) {
    script_run_t run("phones");
    int shows = 0;
    run.run(u"addphone", [&](recording_form_t&) { ++shows; });
    EXPECT_EQ(shows, 1);
}

TEST(SendAction, NumberPickedFromTheListIsWhereTheRequestGoes) {
    script_run_t run("phones");
    run.run(u"pick", [&](recording_form_t& form) {
        if (form.title() == u"Новый номер") return enter_number(form, u"+79001112233");
        EXPECT_EQ(user::select(form, u"Номер банка").selected_text(), u"Основной: +79001112233");
        run.display.answers = {true};
        EXPECT_TRUE(user::press(form, texts::button_ok));
    });
    ASSERT_EQ(run.sms.sent.size(), 1u);
    EXPECT_EQ(run.sms.sent[0].number, u"+79001112233");
    EXPECT_EQ(run.sms.sent[0].text, u"BAL");
    EXPECT_EQ(run.alerts()[1], u"alert.show(Запросить баланс через Основной: +79001112233?|2)");
    run.restart();
    EXPECT_EQ(global_vars->get_card(u"_smsISDN")->card.id1, u"+79001112233") << "the pick is kept";
}

TEST(IsdnTag, NoNumberSuffixAndBuildReachMessagingAndTheVariables) {
    script_run_t run("phones");
    EXPECT_EQ(global_vars->get_card(u"_smsISDN")->card.id1, u"") << "\"000\" stands for no number";
    EXPECT_EQ(run.sms.number, u"");
    EXPECT_EQ(run.sms.suffix, u";s");
    EXPECT_EQ(global_vars->get_string(u"_app_build")->value, u"7");
    EXPECT_EQ(global_vars->get_string(u"_app_date")->value, u"01.12.2026");
    EXPECT_EQ(run.sms.version, u"") << "without a version the messaging keeps its own";
}

}  // namespace
