// The scenario runner's steps, one handler each, done on a shown form of the real screens: a table of steps and
// what each leaves on the screen, in both device modes.

#include "app/scenario/scenario_steps.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/scenario/scenario_file.h"
#include "screens/ppc_checkbox_item.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_select_item.h"
#include "tests/support/qt_application.h"
#include "tests/ui/script_stand_ins.h"
#include "tests/ui_ppc/form_fixture.h"
#include "ui/button.h"

namespace {

// The host of the steps without the program: the screen is what the test shows, actions are queued on the event
// loop as the runner queues them, and a screen is late once `late` is set.
class test_host_t : public scenario_host_t {
public:
    scenario_screen_t screen() override { return look_at_screen(nullptr); }
    bool screen_late() override { return late; }
    bool long_late() override { return late; }
    void act(std::function<void()> action) override {
        QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    }
    void fail(const std::string& message) override { failures.push_back(message); }
    void say(const std::string& line) override { said.push_back(line); }
    void show_values() override {}
    std::optional<std::string> next_sms() override { return std::nullopt; }
    bool take_bank_message() override { return false; }
    sim_remote_t* remote() override { return nullptr; }
    std::optional<std::string> screenshots() override { return std::nullopt; }
    void end_run(bool) override {}

    bool late = false;
    std::vector<std::string> failures;
    std::vector<std::string> said;
};

// A payment form with one item of every kind a step acts on.
struct payment_form_t {
    explicit payment_form_t(bool soft_keys) : display(test_device(soft_keys), nullptr) {
        form_owner = display.create_form(u"Платёж");
        form = dynamic_cast<ppc_form_t*>(form_owner.get());
        auto help_item = display.create_string_item(form, u"Справка: оплата без комиссии");
        help_item->set_click_handler(&help);
        form->add_item(std::move(help_item));
        amount = add<ppc_input_item_t>(display.create_input_item(form, u"Сумма"));
        auto word = display.create_input_item(form, u"Кодовое слово");
        word->set_type(input_item_t::any, 1);  // bit 0: the characters hidden
        secret = add<ppc_input_item_t>(std::move(word));
        operator_ = add_select(u"Оператор", select_item_t::drop_down, {u"Оператор 1", u"Оператор 2", u"Оператор 3"});
        plan = add_select(u"Тариф", select_item_t::spin, {u"Базовый", u"Семейный"});
        delivery = add_select(u"Доставка", select_item_t::radio, {u"Почта", u"Курьер"});
        auto boxes = display.create_checkbox_item(form, u"Уведомления");
        boxes->add_box(u"СМС", false);
        boxes->add_box(u"Письмо", true);
        notices = add<ppc_checkbox_item_t>(std::move(boxes));
        pay_button = display.create_button(form, u"Оплатить", button_t::confirming);
        pay_button->set_action(&pay);
        form->add_button(pay_button.get());
    }

    template <class T, class I>
    T* add(std::unique_ptr<I> item) {
        T* kept = dynamic_cast<T*>(item.get());
        form->add_item(std::move(item));
        return kept;
    }
    ppc_select_item_t* add_select(const std::u16string& caption, int style, std::vector<std::u16string> options) {
        auto item = display.create_select_item(form, caption);
        item->set_style(style);
        for (const auto& option : options) item->add_option(option, option == options.front());
        return add<ppc_select_item_t>(std::move(item));
    }

    std::string boxes() const {
        std::string out;
        for (const auto& box : notices->controls())
            out += box->text().toStdString() + (box->isChecked() ? " on;" : " off;");
        return out;
    }

    ppc_display_t display;
    std::unique_ptr<form_t> form_owner;
    ppc_form_t* form;
    test_action_t help, pay;
    std::unique_ptr<button_t> pay_button;
    ppc_input_item_t* amount;
    ppc_input_item_t* secret;
    ppc_select_item_t* operator_;
    ppc_select_item_t* plan;
    ppc_select_item_t* delivery;
    ppc_checkbox_item_t* notices;
};

std::string u8(const std::u16string& text) {
    return QString::fromStdU16String(text).toStdString();
}

// A step, and what the screen shows after it: `effect` reads it off the form still shown (or after it closed).
// A step that must fail gives instead the text its failure says.
struct step_case_t {
    const char* line;
    std::function<std::string(payment_form_t&)> effect;
    std::string expected;
    std::string failure = {};
};

struct step_result_t {
    std::string effect;
    std::vector<std::string> failures;
    std::vector<std::string> said;
};

// Shows the form, does the step a look at a time as the runner does (its actions on the event loop, a look after
// each), and reads the effect once the step's last action has run.
step_result_t run_on_form(payment_form_t& fixture, const step_case_t& c) {
    std::vector<scenario_step_t> steps;
    scenario_error_t error;
    EXPECT_TRUE(parse_scenario(std::string(c.line) + "\n", steps, error)) << error.message;
    if (steps.empty()) return {};
    test_host_t host;
    step_progress_t progress;
    step_result_t result;
    bool finished = false, read = false;
    int looks = 0;
    auto read_effect = [&] {
        if (read) return;
        read = true;
        result.effect = c.effect(fixture);
        if (fixture.form->is_open()) fixture.form->command(ppc_form_t::cancel_command);
    };
    std::function<void()> look = [&] {
        if (finished) return;
        // Long enough for every pick a key at a time; then the screen is late and a waiting step fails.
        if (++looks > 40) host.late = true;
        const bool done = perform_step(host, steps.front(), progress) == step_outcome_t::done;
        if (done || !host.failures.empty() || looks > 80) {
            finished = true;
            QMetaObject::invokeMethod(qApp, read_effect, Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(qApp, look, Qt::QueuedConnection);
    };
    QTimer::singleShot(0, [&] {
        make_active(fixture.form);
        look();
    });
    fixture.form->show();
    // A step that ended the form: its effect is read after.
    QCoreApplication::processEvents();
    read_effect();
    EXPECT_TRUE(finished) << c.line;
    result.failures = host.failures;
    result.said = host.said;
    return result;
}

class ScenarioSteps : public ::testing::Test {
protected:
    void SetUp() override { qt_application(); }
};

TEST_F(ScenarioSteps, EachStepLeavesItsEffectOnTheForm) {
    auto value = [](ppc_input_item_t* item) { return item->control() ? item->control()->text().toStdString() : "-"; };
    auto text_of = [&](ppc_input_item_t* payment_form_t::*item) {
        return [=](payment_form_t& f) { return value(f.*item); };
    };
    auto pick_of = [](ppc_select_item_t* payment_form_t::*item) {
        return [=](payment_form_t& f) { return u8((f.*item)->selected_text()); };
    };
    auto boxes = [](payment_form_t& f) { return f.boxes(); };
    auto open = [](payment_form_t& f) { return std::string(f.form->is_open() ? "open" : "closed"); };
    auto runs = [](test_action_t payment_form_t::*action) {
        return [=](payment_form_t& f) { return std::to_string((f.*action).runs); };
    };
    const step_case_t cases[] = {
        {"fill \"Сумма\" 150.5", text_of(&payment_form_t::amount), "150.5"},
        {"fill \"Кодовое слово\" слово", text_of(&payment_form_t::secret), "слово"},
        {"pick \"Оператор\" \"Оператор 3\"", pick_of(&payment_form_t::operator_), "Оператор 3"},
        {"pick \"Тариф\" \"Семейный\"", pick_of(&payment_form_t::plan), "Семейный"},
        {"pick \"Доставка\" \"Курьер\"", pick_of(&payment_form_t::delivery), "Курьер"},
        {"pick \"Оператор\" \"Оператор 1\"", pick_of(&payment_form_t::operator_), "Оператор 1"},
        {"check \"Уведомления\" \"СМС\" on", boxes, "СМС on;Письмо on;"},
        {"check \"Уведомления\" \"Письмо\" off", boxes, "СМС off;Письмо off;"},
        {"check \"Уведомления\" \"Письмо\" on", boxes, "СМС off;Письмо on;"},
        {"click \"Справка\"", runs(&payment_form_t::help), "1"},
        {"key \"Оплатить\"", runs(&payment_form_t::pay), "1"},
        {"key \"Назад\"", open, "closed"},
        {"expect form \"Платёж\"", open, "open"},
        {"expect text \"Оператор 1\"", open, "open"},
        {"expect text \"[-]Справка\"", open, "open"},
        {"expect no entry \"Оператор\" \"Оператор 9\"", open, "open"},
        // What a step that cannot hold says; the form is left as it was.
        {"fill \"Нет такого\" 1", open, "open", "ожидалось: элемент формы \"Нет такого\"; на экране: форма \"Платёж\""},
        {"fill \"Оператор\" 1", open, "open", "под \"Оператор\" нет поля ввода"},
        {"pick \"Оператор\" \"Оператор 9\"", pick_of(&payment_form_t::operator_), "Оператор 1",
         "в \"Оператор\" нет пункта \"Оператор 9\""},
        {"pick \"Сумма\" 1", open, "open", "в \"Сумма\" нет пункта \"1\""},
        {"check \"Уведомления\" \"Факс\" on", boxes, "СМС off;Письмо on;", "под \"Уведомления\" нет флажка \"Факс\""},
        {"expect no entry \"Оператор\" \"Оператор 2\"", open, "open",
         "в \"Оператор\" всё ещё есть пункт \"Оператор 2\""},
        {"expect no entry \"Сумма\" 1", open, "open", "под \"Сумма\" нет списка"},
        {"expect text \"Нет такого текста\"", open, "open",
         "ожидалось: текст \"Нет такого текста\" на форме, а на ней: \"[-]Справка: оплата без комиссии\", "
         "\"Сумма\", \"Кодовое слово\", \"Оператор\", \"Оператор 1\", \"Тариф\", \"Базовый\", \"Доставка\", "
         "\"Почта\""},
        {"expect form \"Перевод\"", open, "open", "ожидалось: форма \"Перевод\"; на экране: форма \"Платёж\""},
        {"key \"Перевести\"", runs(&payment_form_t::pay), "0",
         "ожидалось: клавиша или пункт меню \"Опции\" \"Перевести\"; на экране: форма \"Платёж\""},
        {"answer yes", open, "open", "ожидалось: сообщение с кнопками; на экране: форма \"Платёж\""},
    };
    for (const bool soft_keys : {true, false})
        for (const step_case_t& c : cases) {
            SCOPED_TRACE(std::string(c.line) + (soft_keys ? " (keypad phone)" : " (touch screen)"));
            payment_form_t fixture(soft_keys);
            const step_result_t result = run_on_form(fixture, c);
            EXPECT_EQ(result.effect, c.expected);
            if (c.failure.empty()) {
                EXPECT_TRUE(result.failures.empty()) << (result.failures.empty() ? "" : result.failures.front());
            } else {
                ASSERT_EQ(result.failures.size(), 1u);
                EXPECT_TRUE(result.failures.front().starts_with(c.failure)) << result.failures.front();
            }
        }
}

// A secret typed into a field stays out of the transcript: the step writes it masked, as the field shows it.
TEST_F(ScenarioSteps, FillWritesASecretMasked) {
    for (const bool soft_keys : {true, false}) {
        payment_form_t fixture(soft_keys);
        const step_result_t secret =
            run_on_form(fixture, {"fill \"Кодовое слово\" слово", [](payment_form_t&) { return std::string(); }, ""});
        EXPECT_EQ(secret.said, std::vector<std::string>{"> fill \"Кодовое слово\" *****"});
        const step_result_t plain =
            run_on_form(fixture, {"fill \"Сумма\" 12", [](payment_form_t&) { return std::string(); }, ""});
        EXPECT_EQ(plain.said, std::vector<std::string>{"> fill \"Сумма\" 12"});
    }
}

}  // namespace
