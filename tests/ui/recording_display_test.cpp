#include "tests/support/recording_display.h"

#include <gtest/gtest.h>

#include "tests/ui/script_stand_ins.h"

namespace {

std::u16string last(const recording_display_t& display) {
    return display.calls.back();
}

}  // namespace

TEST(recording_display, answers_questions_from_the_queue_and_records_them) {
    recording_display_t display;
    display.answers = {true, false};

    auto ask = [&](int kind) {
        auto alert = display.create_alert(u"Ostrevan", u"Отправить?", kind);
        alert->show();
        return alert->answer();
    };
    EXPECT_TRUE(ask(alert_t::question));
    EXPECT_FALSE(ask(alert_t::question));
    // Information and error boxes only have OK and take no answer from the queue.
    display.answers = {false};
    EXPECT_TRUE(ask(alert_t::information));
    EXPECT_TRUE(ask(alert_t::error));
    EXPECT_EQ(display.answers.size(), 1u);
    EXPECT_EQ(last(display), u"alert.show(Отправить?|1)");
    EXPECT_EQ(display.calls.front(), u"create_alert(Ostrevan|Отправить?|2)");

    display.answers.clear();
    EXPECT_THROW(ask(alert_t::question), std::logic_error);
}

TEST(recording_display, lets_the_test_fill_a_shown_form) {
    recording_display_t display;
    auto form = display.create_form(u"Перевод");
    auto input = display.create_input_item(form.get(), u"Сумма");
    test_param_t amount;
    amount.value = u"10";
    input->set_param(&amount);
    auto* input_part = static_cast<recording_input_item_t*>(input.get());
    EXPECT_EQ(input_part->value, u"10");
    form->add_item(std::move(input));

    auto send = display.create_button(form.get(), u"Отправить", button_t::confirming);
    test_action_t sent;
    send->set_action(&sent);
    form->add_button(send.get());

    bool open_during_show = false;
    display.on_form_show = [&](recording_form_t& shown) {
        open_during_show = shown.is_open();
        ASSERT_NE(shown.item<recording_input_item_t>(0), nullptr);
        EXPECT_TRUE(shown.item<recording_input_item_t>(0)->commit(u"25"));
        shown.buttons.at(0)->press();
    };
    form->show();

    EXPECT_TRUE(open_during_show);
    EXPECT_EQ(display.calls, (std::vector<std::u16string>{
                                 u"create_form(Перевод)",
                                 u"create_input_item(Сумма)",
                                 u"input[Сумма].set_param(10)",
                                 u"form[Перевод].add_item()",
                                 u"create_button(Отправить|0)",
                                 u"button[Отправить].set_action()",
                                 u"form[Перевод].add_button(Отправить)",
                                 u"form[Перевод].show()",
                                 u"button[Отправить].press()",
                             }));
    EXPECT_FALSE(form->is_open());
    EXPECT_EQ(amount.value, u"25");
    EXPECT_EQ(sent.runs, 1);
    EXPECT_EQ(last(display), u"button[Отправить].press()");

    amount.refuse = true;
    EXPECT_FALSE(input_part->commit(u"x"));
}

TEST(recording_display, keeps_what_items_were_told) {
    recording_display_t display;
    display.set_logo_image(u"pics/logo.bmp");
    EXPECT_EQ(display.logo_image, u"picslogo.bmp");

    auto form = display.create_form(u"Форма");
    auto boxes = display.create_checkbox_item(form.get(), u"Уведомления");
    test_param_t a, b;
    boxes->add_param(&a);
    boxes->add_param(&b);
    boxes->add_box(u"СМС", true);
    boxes->add_box(u"Почта", false);
    auto& recorded = static_cast<recording_checkbox_item_t&>(*boxes);
    ASSERT_EQ(recorded.boxes.size(), 2u);
    EXPECT_EQ(recorded.boxes[0].params, (std::vector<param_t*>{&a, &b}));
    EXPECT_TRUE(recorded.boxes[1].params.empty());

    auto select = display.create_select_item(form.get(), u"Карта");
    test_action_t listener;
    select->add_listener(&listener);
    select->add_option(u"Visa", true);
    select->add_option(u"Мир", true);
    select->select_text(u"нет такой");
    EXPECT_EQ(select->selected_text(), u"Мир");
    static_cast<recording_select_item_t&>(*select).pick(0);
    EXPECT_EQ(select->selected_text(), u"Visa");
    EXPECT_EQ(listener.runs, 1);

    display.picks = {1};
    auto list = display.create_list(u"");
    test_tag_t tag;
    list->add_entry(u"Баланс", &tag, u"");
    list->show();
    EXPECT_EQ(list->selected(), 1);
    list->show();
    EXPECT_EQ(list->selected(), -1);
}

TEST(recording_display, form_keeps_the_form_contract) {
    recording_display_t display;
    auto form = display.create_form(u"Форма");
    auto back = display.create_button(form.get(), u"Назад", button_t::back);
    auto plain = display.create_button(form.get(), u"Справка", button_t::plain);
    auto first = display.create_button(form.get(), u"Отправить", button_t::confirming);
    auto second = display.create_button(form.get(), u"Ещё", button_t::confirming);
    test_action_t sent;
    first->set_action(&sent);
    for (auto* b : {back.get(), plain.get(), first.get(), second.get()}) form->add_button(b);
    auto& recorded = static_cast<recording_form_t&>(*form);
    EXPECT_EQ(recorded.buttons.size(), 3u);
    EXPECT_EQ(recorded.back_button, back.get());
    EXPECT_EQ(recorded.default_button, first.get());

    // Nothing to fill in: the default button is pressed and nothing is shown.
    bool shown = false;
    display.on_form_show = [&](recording_form_t&) { shown = true; };
    form->show();
    EXPECT_FALSE(shown);
    EXPECT_EQ(sent.runs, 1);

    // With an item: closing from code commits what is on the screen; leaving does not.
    auto input = display.create_input_item(form.get(), u"Сумма");
    test_param_t amount;
    input->set_param(&amount);
    input->set_min_length(3);
    input->set_error_text(u"Мало");
    form->add_item(std::move(input));
    auto* item = recorded.item<recording_input_item_t>(0);
    display.on_form_show = [&](recording_form_t& f) {
        item->value = u"12";
        f.close();
    };
    form->show();
    EXPECT_TRUE(form->ended_by_program());
    EXPECT_EQ(amount.applied, (std::vector<std::u16string>{}));  // refused below the minimum, ignored
    item->set_min_length(0);
    display.on_form_show = [&](recording_form_t& f) {
        item->value = u"7";
        f.close();
    };
    form->show();
    EXPECT_EQ(amount.value, u"7");
    display.on_form_show = [&](recording_form_t&) { item->value = u"9"; };
    form->show();
    EXPECT_FALSE(form->ended_by_program());
    EXPECT_EQ(amount.value, u"7");

    // A confirming key checks the items first and is refused with the item's message.
    item->set_min_length(5);
    display.on_form_show = [&](recording_form_t& f) { EXPECT_FALSE(f.press(1)); };
    form->show();
    EXPECT_EQ(display.calls.back(), u"form[Форма].refused(Мало)");
    EXPECT_EQ(sent.runs, 1);
}
