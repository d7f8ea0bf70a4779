#include "sim/sim_bank.h"

#include <gtest/gtest.h>

#include <regex>

TEST(SimBank, AnswersByTheDefaultRules) {
    sim_bank_t bank;
    EXPECT_EQ(bank.answer("BAL;;ver=w2.17"), "Баланс карты: 12 345,67 руб. APP_PORT=2201");
    EXPECT_EQ(bank.answer("{7}BAL;;ver=w2.17"), "{7}Баланс карты: 12 345,67 руб. APP_PORT=2201");
    EXPECT_EQ(bank.answer("XYZ;;ver=w2.17"), "Неизвестный запрос. Проверьте правильность ввода. APP_PORT=2201");

    // A payment gets a fresh code; that code sent back is confirmed once; a made-up code is not.
    const std::string request = bank.answer("PAY 4276 100;;ver=w2.17");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(request, m, std::regex("CFM[0-9]{6}"))) << request;
    const std::string code = m.str();
    EXPECT_NE(bank.answer("PAY 4276 100;;ver=w2.17").find("CFM"), std::string::npos);
    EXPECT_EQ(bank.answer("PAY 4276 200;;ver=w2.17").find(code), std::string::npos);
    EXPECT_EQ(bank.answer(code + ";;ver=w2.17"), "Платёж подтверждён. Спасибо! APP_PORT=2201");
    EXPECT_EQ(bank.answer(code + ";;ver=w2.17").find("подтверждён"), std::string::npos);
    EXPECT_EQ(bank.answer("CFM000000;;ver=w2.17").find("подтверждён"), std::string::npos);
}

TEST(SimBank, RulesComeFromText) {
    sim_bank_t bank(
        "# comment\n\ncode => ok {sent}\nstart:HI => hello {request} {code}\ncontains:X => ex APP_PORT=2201\n");
    const std::string hello = bank.answer("HI there");  // the marker is always there
    EXPECT_TRUE(hello.starts_with("hello HI there CFM") && hello.ends_with(" APP_PORT=2201")) << hello;
    EXPECT_EQ(bank.answer(hello.substr(15, 9)), "ok " + hello.substr(15, 9) + " APP_PORT=2201");
    EXPECT_EQ(bank.answer("aXb"), "ex APP_PORT=2201");
    EXPECT_EQ(bank.answer("nothing"), "");
    struct case_t {
        const char* rules;
        const char* error;
    };
    for (const case_t& c : {case_t{"a b c\n", "bank rules line 1: no \"=>\""},
                            case_t{"# x\nsome:X => y\n", "bank rules line 2: unknown condition \"some:X\""},
                            case_t{"any =>  \n", "bank rules line 1: empty reply"}}) {
        try {
            sim_bank_t bad(c.rules);
            ADD_FAILURE() << c.rules;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.error);
        }
    }
}
