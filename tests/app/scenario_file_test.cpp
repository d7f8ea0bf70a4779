#include "app/scenario/scenario_file.h"

#include <gtest/gtest.h>

namespace {

using kind_t = scenario_step_t::kind_t;

TEST(ScenarioFile, EveryStepWithItsArguments) {
    const std::string file =
        "# a comment\n"
        "\n"
        "pin 1234\n"
        "menu  Платежи / Мобильная связь \r\n"
        "expect form \"Оплата\"\n"
        "expect alert Оплатить 100 руб.?\n"
        "expect sms \"PAY OP1 \"\n"
        "fill \"Сумма, руб.\" 150.5\n"
        "fill Название \"\"\n"
        "pick \"Карта\" \"Кредитка *5555\"\n"
        "check \"Уведомления\" \"Прислать чек\" off\n"
        "key \"В избранное\"\n"
        "  answer no\n"
        "bank \"Код \\\"CFM123456\\\" \\\\\"\n"
        "wait bank\n"
        "modem fail-next\n"
        "screenshot pay-form_1\n"
        "restart\n"
        "quit\n"
        "click \"Последние операции\"\n"
        "expect text [+]Последние\n"
        "expect no entry \"Карта\" Кредитка *5555\n";
    std::vector<scenario_step_t> steps;
    scenario_error_t error;
    ASSERT_TRUE(parse_scenario(file, steps, error)) << error.line << ": " << error.message;
    struct expected_t {
        kind_t kind;
        int line;
        std::vector<std::string> args;
    };
    const std::vector<expected_t> expected = {
        {kind_t::pin, 3, {"1234"}},
        {kind_t::menu, 4, {"Платежи", "Мобильная связь"}},
        {kind_t::expect_form, 5, {"Оплата"}},
        {kind_t::expect_alert, 6, {"Оплатить 100 руб.?"}},
        {kind_t::expect_sms, 7, {"PAY OP1 "}},
        {kind_t::fill, 8, {"Сумма, руб.", "150.5"}},
        {kind_t::fill, 9, {"Название", ""}},
        {kind_t::pick, 10, {"Карта", "Кредитка *5555"}},
        {kind_t::check, 11, {"Уведомления", "Прислать чек", "off"}},
        {kind_t::key, 12, {"В избранное"}},
        {kind_t::answer, 13, {"no"}},
        {kind_t::bank, 14, {"Код \"CFM123456\" \\"}},
        {kind_t::wait_bank, 15, {}},
        {kind_t::modem, 16, {"fail-next"}},
        {kind_t::screenshot, 17, {"pay-form_1"}},
        {kind_t::restart, 18, {}},
        {kind_t::quit, 19, {}},
        {kind_t::click, 20, {"Последние операции"}},
        {kind_t::expect_text, 21, {"[+]Последние"}},
        {kind_t::expect_no_entry, 22, {"Карта", "Кредитка *5555"}},
    };
    ASSERT_EQ(steps.size(), expected.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].kind, expected[i].kind) << i;
        EXPECT_EQ(steps[i].line, expected[i].line) << i;
        EXPECT_EQ(steps[i].args, expected[i].args) << i;
    }
    EXPECT_EQ(steps[10].text, "answer no");
}

TEST(ScenarioFile, ABadLineIsRefusedWithItsNumberAndNothingIsKept) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"dance", "неизвестный шаг dance"},
        {"pin 12a4", "пин-код состоит только из цифр: 12a4"},
        {"pin", "не указано: пин-код"},
        {"menu Платежи / ", "пустой пункт в пути по меню"},
        {"expect screen \"X\"", "ожидалось form|alert|sms|text|no, а написано screen"},
        {"click", "не указано: текст"},
        {"expect form", "не указано: текст"},
        {"fill \"Сумма\"", "не указано: текст"},
        {"check \"Уведомления\" \"Чек\" maybe", "ожидалось on|off, а написано maybe"},
        {"answer maybe", "ожидалось yes|no|ok, а написано maybe"},
        {"key \"Назад", "текст в кавычках не закрыт"},
        {"key \"a\"b", "за закрывающей кавычкой сразу идёт слово"},
        {"bank \"\\n\"", "неизвестное экранирование \\n"},
        {"wait form", "ожидалось bank, а написано form"},
        {"quit now", "лишний текст после шага: now"},
        {"screenshot ../x", "имя снимка"},
        {"modem explode",
         "ожидалось fail-next|hang-up|plug-in|slow|lose-ack|error-500|drop-mid-send|refuse-part-2|repeat|"
         "reused-reference|early-repeat|confirm-during-send|listing-garbage|full-storage|waiting-two-part|class2-on-"
         "sim, "
         "а написано explode"},
        {"expect no card \"Карта\" X", "ожидалось entry, а написано card"},
        {"expect no entry \"Карта\"", "не указано: пункт"},
        {"fill \"\xff\" 1", "не является текстом в UTF-8"},
        {std::string("pin 1\0"
                     "2",
                     7),
         "не является текстом в UTF-8"},
        {"pin " + std::string(scenario_max_line, '1'), "строка длиннее 4096 байт"},
    };
    for (const auto& [line, message] : bad) {
        std::vector<scenario_step_t> steps{scenario_step_t{kind_t::quit, 1, {}, "quit"}};
        scenario_error_t error;
        EXPECT_FALSE(parse_scenario("pin 1234\n# fine so far\n" + line + "\nquit\n", steps, error)) << line;
        EXPECT_EQ(error.line, 3) << line;
        EXPECT_NE(error.message.find(message), std::string::npos) << line << " -> " << error.message;
        EXPECT_EQ(steps.size(), 1u) << line;
    }
    std::string many;
    for (size_t i = 0; i <= scenario_max_lines; ++i) many += "\n";
    std::vector<scenario_step_t> steps;
    scenario_error_t error;
    EXPECT_FALSE(parse_scenario(many, steps, error));
    EXPECT_EQ(error.line, static_cast<int>(scenario_max_lines) + 1);
}

TEST(ScenarioFile, TheRequestOfAnSmsLeavesOutPrefixAndTrailer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"BAL 4276;;ver=w2.17", "BAL 4276"},
        {"{7}PAY OP1 1 2;;ver=w2.17x", "PAY OP1 1 2"},
        {"CFM123456", "CFM123456"},
        {"{7", "{7"},
        {"", ""},
    };
    for (const auto& [sms, request] : cases) EXPECT_EQ(scenario_request_of(sms), request) << sms;
}

}  // namespace
