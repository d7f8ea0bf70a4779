// `ostrevan-cfg lint` run as a program: one table of small scripts, each with the one finding it must give
// (code and place, the place marked in the script by "@" before the tag's "<"), the demo bank clean, places
// in a compiled file as byte offsets, JSON, and the exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/script/cfg_bytes.h"
#include "tests/tools/tool_run.h"

namespace fs = std::filesystem;

namespace {

using result_t = tool_result_t;

class CfgLint : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-cfg-lint-test-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    fs::path file(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
        return dir / name;
    }

    result_t run(const std::string& args) {
        const int status = run_tool(std::getenv("OSTREVAN_CFG"), args, dir / "out", dir / "err");
        return {status, read_all(dir / "out"), read_all(dir / "err")};
    }
};

// A script around `tree` (the tags after the bank's number) with `vars`.
std::string script(const std::string& tree, const std::string& vars = "", const std::string& isdn = "+79001234567") {
    return "<cfg>\n  <vars>" + vars + "</vars>\n  <tree>\n    <smsISDN><ISDN>" + isdn + "</ISDN></smsISDN>\n" + tree +
           "  </tree>\n</cfg>\n";
}

// One script item whose form holds `form` and whose send key sends `body`.
std::string item(const std::string& form, const std::string& body, const std::string& name = "Пункт") {
    return "      <ScriptItem>\n        <Name>" + name + "</Name>\n        <Form>\n" + form +
           "        </Form>\n        <ButtonSendSMS><UserRequest>Отправить?</UserRequest>" + body +
           "</ButtonSendSMS>\n      </ScriptItem>\n";
}

std::string list(const std::string& entries) {
    return "    <List>\n" + entries + "    </List>\n";
}

const std::string sum_input = "          <Input><Type>CURRENCY</Type><Parameter>sum</Parameter></Input>\n";

// The add form of the card list "cards", with its keys.
std::string card_adder(const std::string& keys = "<ButtonAdd/>\n", const std::string& delimeter = " *",
                       const std::string& mark = "") {
    return "      <ScriptItemAdd>\n        <Name>Карты</Name>\n        " + mark + "<Delimeter>" + delimeter +
           "</Delimeter>\n        <Form>\n"
           "          <SelectCard><Object>cards</Object><Parameter>item</Parameter></SelectCard>\n"
           "          <Input><Parameter>name</Parameter></Input>\n          <Input><Parameter>id</Parameter></Input>\n"
           "        </Form>\n        " +
           keys + "      </ScriptItemAdd>\n";
}

const std::string card_pick = "          <SelectCard><Object>cards</Object><Parameter>card</Parameter></SelectCard>\n";

// Where "@" stands in `text` as LINE:COLUMN (from 1), and the text without it.
std::string marked_place(std::string& text) {
    const size_t at = text.find('@');
    if (at == std::string::npos) return "";
    const std::string before = text.substr(0, at);
    const size_t line = size_t(std::count(before.begin(), before.end(), '\n')) + 1;
    const size_t line_start = before.rfind('\n') == std::string::npos ? 0 : before.rfind('\n') + 1;
    // Columns count characters: the Cyrillic letters before the mark are two bytes each.
    size_t column = 1;
    for (size_t i = line_start; i < at; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    text.erase(at, 1);
    return std::to_string(line) + ":" + std::to_string(column);
}

struct lint_case_t {
    const char* what;
    std::string xml;       // "@" before the tag the finding names
    const char* code;      // the one finding expected; null for none
    const char* severity;  // "warning" or "error"
};

std::vector<lint_case_t> lint_cases() {
    std::string many_keys;
    for (int i = 0; i < 10; ++i) many_keys += "<ButtonOk/>";
    std::string many_items;
    for (int i = 1; i <= 101; ++i)
        many_items +=
            std::string(i == 101 ? "@" : "") + "<ScriptItem><Name>П" + std::to_string(i) + "</Name></ScriptItem>\n";
    return {
        {"a template naming a variable the item's form sets", script(list(item(sum_input, "<Body>PAY {sum}</Body>"))),
         nullptr, nullptr},
        {"a template naming a stored variable",
         script(list(item(sum_input, "<Body>PAY {acct} {sum}</Body>")), "<string name=\"acct\">1</string>"), nullptr,
         nullptr},
        {"a template naming a variable nothing sets", script(list(item(sum_input, "@<Body>PAY {sum} {acount}</Body>"))),
         "unknown-variable", "error"},
        {"a variable only another item's form sets",
         script(list(item(sum_input, "<Body>A {sum}</Body>", "A") +
                     item("          <Input><Parameter>to</Parameter></Input>\n", "@<Body>B {sum}</Body>", "B"))),
         "unknown-variable", "error"},
        {"a variable another item saves globally",
         script(list(item("          <Input><Save>phone</Save></Input>\n", "<Body>A {phone}</Body>", "A") +
                     item(sum_input, "<Body>B {phone} {sum}</Body>", "B"))),
         nullptr, nullptr},
        {"a check box in a template",
         script(list(item(sum_input + "          <CheckBox><Item><Name>Чек</Name><Parameter>receipt</Parameter>"
                                      "</Item></CheckBox>\n",
                          "@<Body>PAY {sum} {receipt}</Body>"))),
         "checkbox-in-template", "error"},
        {"an unclosed brace",
         script(list(item("          @<String>Итого {sum</String>\n" + sum_input, "<Body>P</Body>"))), "unclosed-brace",
         "warning"},
        {"a card list no add form gives a template",
         script(list(item("          @" + card_pick.substr(10), "<Body>BAL {card}</Body>")),
                "<cardlist name=\"cards\"><card id0=\"a\" id1=\"1\" id2=\"\"/></cardlist>"),
         "card-list-no-template", "warning"},
        {"a card list with its add form",
         script(list(item(card_pick, "<Body>BAL {card}</Body>") +
                     card_adder("<ButtonAdd/><ButtonDel><UserRequest>Удалить?</UserRequest></ButtonDel>\n"))),
         nullptr, nullptr},
        {"a stored selection value no entry has",
         script(list(item("          <Select><Item><Name>Неделя</Name><Value>7</Value></Item>"
                          "<Item><Name>Месяц</Name><Value>30</Value></Item>@<Parameter>days</Parameter></Select>\n",
                          "<Body>HIST {days}</Body>")),
                "<string name=\"days\">14</string>"),
         "default-unmatched", "warning"},
        {"a check box default neither true nor false",
         script(list(item(sum_input + "          <CheckBox><Item><Name>Чек</Name>@<DefaultValue>yes</DefaultValue>"
                                      "</Item></CheckBox>\n",
                          "<Body>PAY {sum}</Body>"))),
         "default-unmatched", "warning"},
        {"an input default longer than the input",
         script(list(item("          <Input><Type>NUMERIC</Type><MaxLength>6</MaxLength>@<DefaultValue>1234567"
                          "</DefaultValue><Parameter>n</Parameter></Input>\n",
                          "<Body>N {n}</Body>"))),
         "default-unmatched", "warning"},
        {"no bank number",
         script(list("      <ScriptItem><Name>П</Name><Form>" + sum_input +
                     "</Form>@<ButtonSendSMS><Body>PAY {sum}</Body></ButtonSendSMS></ScriptItem>\n"),
                "", "000"),
         "no-bank-number", "error"},
        {"a stored bank number",
         script(list(item(sum_input, "<Body>PAY {sum}</Body>")),
                "<card name=\"_smsISDN\" id0=\"\" id1=\"+7900\" id2=\"\"/>", "000"),
         nullptr, nullptr},
        {"an add form whose list nothing offers", script(list(card_adder("@<ButtonAdd/>\n"))), "add-button-unoffered",
         "warning"},
        {"an add form that binds no list",
         script(list("      <ScriptItemAdd><Name>Карты</Name><Delimeter> *</Delimeter><Form><Input><Parameter>name"
                     "</Parameter></Input></Form>@<ButtonAdd/></ScriptItemAdd>\n")),
         "add-form-no-list", "error"},
        {"eleven commands on a form, besides its back key",
         script(list("      <ScriptItem><Name>П</Name>" + many_keys + "<ButtonBack/>@<ButtonOk/></ScriptItem>\n")),
         "too-many-commands", "error"},
        {"a hundred and one menu entries", script(list(many_items)), "too-many-menu-entries", "error"},
        {"a type under the bank's number",
         "<cfg><tree>\n  <smsISDN><ISDN>+7900</ISDN>@<Type>SMS</Type></smsISDN>\n</tree></cfg>\n", "no-effect",
         "warning"},
        {"a caption of a sub-menu",
         script(list("      <ScriptList><Name>Платежи</Name>@<Caption>Платежи</Caption></ScriptList>\n")), "no-effect",
         "warning"},
        {"a bank option the program does not know",
         script(list(item("          <Input><Parameter>sum</Parameter>@<BankSpecified>RemovePoint</BankSpecified>"
                          "</Input>\n",
                          "<Body>PAY {sum}</Body>"))),
         "no-effect", "warning"},
        {"a keyword tag", script("    @<TextSendOk>Готово</TextSendOk>\n"), "ignored-keyword", "warning"},
        {"an Id of two items",
         script(list("      <ScriptItem><Name>А</Name><Id>pay</Id></ScriptItem>\n"
                     "      <ScriptItem><Name>Б</Name>@<Id>pay</Id></ScriptItem>\n")),
         "duplicate-id", "error"},
        {"an amount printed in minor units from a decimal input",
         script(list(item("          @<Input><Type>DECIMAL</Type><Parameter>sum</Parameter>"
                          "<BankSpecified>QuillantoraRemovePoint</BankSpecified></Input>\n",
                          "<Body>PAY {sum}</Body>"))),
         "amount-type", "warning"},
        {"a send key without a body",
         script(list("      <ScriptItem><Name>П</Name><Form>" + sum_input +
                     "</Form>@<ButtonSendSMS><UserRequest>?</UserRequest></ButtonSendSMS></ScriptItem>\n")),
         "empty-body", "error"},
        {"a selection style in lower case",
         script(list(item("          <Select><Item><Name>А</Name><Value>1</Value></Item>@<Mode>popup</Mode>"
                          "<Parameter>a</Parameter></Select>\n",
                          "<Body>A {a}</Body>"))),
         "unknown-word", "warning"},
        {"a card template naming no field of a card",
         script(
             list(item(card_pick, "<Body>BAL {card}</Body>") + card_adder("<ButtonAdd/>\n", "{id0} / {number}", "@"))),
         "unknown-card-field", "warning"},
        {"a sub-menu without a name",
         script(list("      @<ScriptList><List><ScriptItem><Name>П</Name></ScriptItem></List></ScriptList>\n")),
         "menu-unreachable", "warning"},
        {"a placeholder in a fixed entry's body, which is sent as written",
         script(list(item(card_pick.substr(0, card_pick.size() - 14) +
                              "<Item><Name>По всем картам</Name>@<Body>BAL ALL {card}</Body></Item></SelectCard>\n",
                          "<Body>BAL {card}</Body>") +
                     card_adder())),
         "literal-braces", "warning"},
        {"a delete key that never asks",
         script(list(item(card_pick, "<Body>BAL {card}</Body>") + card_adder("<ButtonAdd/>@<ButtonDel/>\n"))),
         "del-never-deletes", "warning"},
    };
}

}  // namespace

TEST_F(CfgLint, EachRuleFindsItsFaultAtItsPlace) {
    for (lint_case_t c : lint_cases()) {
        SCOPED_TRACE(c.what);
        const std::string place = marked_place(c.xml);
        const fs::path source = file("case.xml", c.xml);
        const result_t result = run("lint " + source.string());
        EXPECT_EQ(result.err, "");
        if (!c.code) {
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.status, 0);
            continue;
        }
        ASSERT_FALSE(place.empty()) << "the case marks no place";
        // Exactly one line: the finding, its place, severity and code, then its message.
        const std::string expected = source.string() + ":" + place + ": " + c.severity + ": " + c.code + ": ";
        EXPECT_EQ(result.out.rfind(expected, 0), 0u) << result.out;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
        EXPECT_EQ(result.status, std::string(c.severity) == "error" ? 1 : 0);
    }
}

TEST_F(CfgLint, PlacesCountLinesAndCharactersFromOne) {
    const fs::path source = file("p.xml",
                                 "<cfg><tree>\n"
                                 "  <Logo><Image><Src>a.png</Src></Image></Logo><Timeout>1</Timeout>\n"
                                 "\t<Icon>я</Icon>\n"
                                 "</tree></cfg>\n");
    const result_t result = run("lint " + source.string());
    EXPECT_EQ(result.status, 0);
    const std::string s = source.string();
    EXPECT_NE(result.out.find(s + ":2:47: warning: ignored-keyword: "), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(s + ":3:2: warning: ignored-keyword: "), std::string::npos) << result.out;
}

TEST_F(CfgLint, TheDemoBankIsClean) {
    const fs::path demo = fs::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "resources/demo/bank.xml";
    const result_t result = run("lint " + demo.string());
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    // The same as the program reads it.
    ASSERT_EQ(run("compile " + demo.string() + " -o " + (dir / "demo.cfg").string()).status, 0);
    const result_t compiled = run("lint " + (dir / "demo.cfg").string());
    EXPECT_EQ(compiled.out, "");
    EXPECT_EQ(compiled.status, 0);
}

TEST_F(CfgLint, ACompiledFileNamesTheRecordsByteOffset) {
    // The header string (24 bytes), no variables (4), the tree's count (4): the first record at 32. A keyword
    // with an attribute block (code, count, key, value) and a one-letter text takes 4 + 4 + 6 + 6 + 6 bytes,
    // so the second record starts at 58, and after its 12 bytes the List at 70, whose child (after the List's
    // code and count) at 78 and that one's child at 86.
    cfg_bytes_t bytes;
    bytes.header().i32(0).i32(3);
    bytes.i32(21 | 0x8000).i32(1).str(u"a").str(u"b").str(u"x");  // Icon with an attribute
    bytes.i32(23).str(u"30");                                     // Timeout
    bytes.i32(5).i32(1).i32(31).i32(1).i32(4).str(u"x");          // List > ScriptList without a name > Caption
    const fs::path cfg = file("o.cfg", std::string(bytes.bytes.begin(), bytes.bytes.end()));
    const result_t text = run("lint " + cfg.string());
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find(cfg.string() + ": смещение 32: warning: ignored-keyword: "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(cfg.string() + ": смещение 58: warning: ignored-keyword: "), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(cfg.string() + ": смещение 78: warning: menu-unreachable: "), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find(cfg.string() + ": смещение 86: warning: no-effect: "), std::string::npos) << text.out;
    // The same file with its strings scrambled by a PIN (a settings file) gives the same offsets.
    ASSERT_EQ(run("dump " + cfg.string()).status, 0);
    const fs::path xml = file("o.xml", read_all(dir / "out"));
    ASSERT_EQ(run("compile " + xml.string() + " -o " + (dir / "s.cfg").string() + " --pin 1234").status, 0);
    const result_t settings = run("lint " + (dir / "s.cfg").string() + " --pin 1234 --format json");
    EXPECT_NE(settings.out.find("\"offset\": 32, \"severity\": \"warning\", \"code\": \"ignored-keyword\""),
              std::string::npos)
        << settings.out;
    EXPECT_NE(settings.out.find("\"offset\": 58,"), std::string::npos) << settings.out;
}

TEST_F(CfgLint, JsonCarriesEachFindingForTools) {
    const fs::path source = file("j.xml", script(list(item(sum_input, "<Body>PAY \"{sum}\" {x}</Body>"))));
    const result_t result = run("lint " + source.string() + " --format json");
    EXPECT_EQ(result.status, 1);
    const std::regex finding(
        "\\[\n  \\{\"file\": \"[^\"]*j\\.xml\", \"line\": 11, \"column\": 61, \"severity\": \"error\", "
        "\"code\": \"unknown-variable\", \"message\": \"[^\"\\\\]*\\\\\"x\\\\\"[^\"]*\"\\}\n\\]\n");
    EXPECT_TRUE(std::regex_match(result.out, finding)) << result.out;
    EXPECT_EQ(run("lint " + file("clean.xml", "<cfg/>").string() + " --format json").out, "[]\n");
}

TEST_F(CfgLint, RefusesWhatItCannotRead) {
    const result_t missing = run("lint " + (dir / "none.xml").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("none.xml"), std::string::npos);
    const result_t bad = run("lint " + file("bad.xml", "<cfg><tree><Nope/></tree></cfg>").string());
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.xml:1:"), std::string::npos) << bad.err;
    EXPECT_EQ(run("lint").status, 1);
}

TEST_F(CfgLint, TheReadmeListsTheRulesAsTheTableHasThem) {
    const result_t rules = run("lint --rules");
    EXPECT_EQ(rules.status, 0);
    const std::string readme = read_all(fs::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "README.md");
    const std::string begin = "<!-- lint-rules -->\n```text\n", end = "```\n<!-- /lint-rules -->";
    const size_t from = readme.find(begin), to = readme.find(end);
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    EXPECT_EQ(readme.substr(from + begin.size(), to - from - begin.size()), rules.out);
}
