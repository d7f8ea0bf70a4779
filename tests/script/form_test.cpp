// Forms and their items on the bank script of scripts/bank.xml, through the recording display.

#include <gtest/gtest.h>

#include "script/form_tags.h"
#include "script/menu_tags.h"
#include "script/select_tags.h"
#include "script/tag_codes.h"
#include "tests/support/script_fixture.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::string bank = OSTREVAN_TEST_SCRIPTS "/bank.cfg";

// Runs the item's form once and hands the shown form to `look`.
void run(script_fixture_t& script, const std::u16string& name, const std::function<void(recording_form_t&)>& look) {
    int shown = 0;
    script.display.on_form_show = [&](recording_form_t& form) {
        ++shown;
        look(form);
    };
    script.item(name).show();
    EXPECT_EQ(shown, 1);
}

tag_complex_t& form_of(ScriptItem_tag_t& item) {
    for (auto& child : item.children)
        if (child->code == tags::Form) return static_cast<tag_complex_t&>(*child);
    throw std::logic_error("no form");
}

}  // namespace

TEST(Form, BuildsEveryItemKindInOrder) {
    script_fixture_t script(bank);
    run(script, u"Перевод", [](recording_form_t& form) {
        ASSERT_EQ(form.items.size(), 8u);
        auto* greeting = form.item<recording_string_item_t>(0);
        ASSERT_TRUE(greeting);
        EXPECT_EQ(greeting->text, u"Перевод для Иван");
        EXPECT_TRUE(greeting->expanded);
        EXPECT_FALSE(form.item<recording_string_item_t>(1)->expanded);
        // On a fresh installation the form's help is a row of the form.
        EXPECT_EQ(form.item<recording_string_item_t>(2)->text, u"Подсказка формы");
        EXPECT_EQ(form.item<recording_image_item_t>(3)->file, u"bank.bmp");

        auto* amount = form.item<recording_input_item_t>(4);
        ASSERT_TRUE(amount);
        EXPECT_EQ(amount->caption, u"Сумма");
        EXPECT_EQ(amount->type, input_item_t::currency);
        EXPECT_FALSE(amount->password);
        EXPECT_EQ(amount->min_length, 1);
        EXPECT_EQ(amount->max_length_, 10);  // the number before the first other character
        EXPECT_EQ(amount->error_text, u"Введите сумму");
        EXPECT_EQ(amount->input_mode, 0);  // kept with the tag only

        EXPECT_EQ(form.item<recording_input_item_t>(5)->caption, u"Ввод:");
        EXPECT_EQ(form.item<recording_checkbox_item_t>(6)->caption, u"Выберите:");
        EXPECT_EQ(form.item<recording_checkbox_item_t>(7)->caption, u"Уведомлять");
        EXPECT_EQ(form.title(), u"Перевод");
    });
    auto& input = script.find<Input_tag_t>(tags::Input);
    EXPECT_EQ(input.default_value, u"100");
    EXPECT_EQ(input.type_text, u"Currency");
}

TEST(Form, HelpRowsFollowHelpStringsAcrossARestart) {
    script_fixture_t script(bank);
    auto help_rows = [&] {
        int rows = 0;
        run(script, u"Перевод", [&](recording_form_t& form) {
            for (size_t i = 0; i < form.items.size(); ++i)
                if (auto* s = form.item<recording_string_item_t>(i); s && s->text == u"Подсказка формы") ++rows;
        });
        return rows;
    };
    EXPECT_EQ(help_rows(), 1);
    global_vars->get_bool(u"HelpStrings")->value = false;
    EXPECT_EQ(help_rows(), 0);
    script.restart();
    EXPECT_EQ(help_rows(), 0);
}

TEST(Form, TypeKeywordsGiveTheInputType) {
    struct case_t {
        int type;
        bool password;
        std::u16string type_text;
    };
    const std::vector<case_t> cases = {
        {6, false, u"Currency"}, {6, false, u"cUrReNcY"},     {2, true, u"numeric password"},
        {7, true, u"password"},  {0, false, u"email or any"},  // "ANY" is looked for first
        {1, false, u"Email"},    {3, false, u"phone"},        {4, false, u"url"},
        {5, false, u"Decimal"},  {0, false, u"ANY"},  // no keyword: stored as "ANY"
        {0, false, u"ANY"},
    };
    script_fixture_t script(bank);
    run(script, u"Типы", [&](recording_form_t& form) {
        ASSERT_EQ(form.items.size(), cases.size());
        for (size_t i = 0; i < cases.size(); ++i) {
            auto* input = form.item<recording_input_item_t>(i);
            EXPECT_EQ(input->type, cases[i].type) << i;
            EXPECT_EQ(input->password, cases[i].password) << i;
        }
    });
    auto& inputs = form_of(script.item(u"Типы")).children;
    for (size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(static_cast<Input_tag_t&>(*inputs[i]).type_text, cases[i].type_text) << i;
}

TEST(Form, CheckBoxEntriesTakeTheirLeaves) {
    script_fixture_t script(bank);
    auto& boxes = script.find<CheckBox_tag_t>(tags::CheckBox);
    const std::vector<bool> checked = {true, true, true, false, false};  // TRUE, True, true, yes, "true "
    ASSERT_EQ(boxes.children.size(), checked.size());
    for (size_t i = 0; i < checked.size(); ++i)
        EXPECT_EQ(static_cast<Item_tag_t&>(*boxes.children[i]).checked, checked[i]) << i;
    auto& first = static_cast<Item_tag_t&>(*boxes.children[0]);
    EXPECT_EQ(first.name(), u"СМС");
    EXPECT_EQ(first.value(), u"1");
    EXPECT_TRUE(first.is_default);
    auto& second = static_cast<Item_tag_t&>(*boxes.children[1]);
    EXPECT_FALSE(second.is_default);
    EXPECT_EQ(second.request(), u"Почтой?");
}

TEST(Form, DelimeterWrapsUpToThreeCharacters) {
    script_fixture_t script(bank);
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"Новая карта", u"{id0} - {id1}"},  // 3 characters
        {u"Новый счёт", u"{id1}"},
        {u"Новый телефон", u"abcd"},  // 4 characters
    };
    for (const auto& [name, templ] : cases)
        EXPECT_EQ(static_cast<ScriptItemAdd_tag_t&>(script.item(name)).card_template, templ);
    EXPECT_EQ(static_cast<ScriptItemAdd_tag_t&>(script.item(u"Новая карта")).no_items_text, u"Карт пока нет");
}

TEST(String, FoldsOnClickAndKeepsItsStateAcrossARestart) {
    script_fixture_t script(bank);
    run(script, u"Перевод", [&](recording_form_t& form) {
        auto* row = form.item<recording_string_item_t>(0);
        script.display.calls.clear();
        row->click();
        EXPECT_FALSE(row->expanded);
        EXPECT_EQ(script.display.calls,
                  (std::vector<std::u16string>{u"string[Перевод для Иван].fold()", u"form[Ostrevan].refresh()"}));
        row->click();
        row->click();
    });
    script.restart();
    EXPECT_FALSE(script.find<String_tag_t>(tags::String, 3).expanded);
    run(script, u"Перевод", [](recording_form_t& form) {
        EXPECT_FALSE(form.item<recording_string_item_t>(0)->expanded);
        EXPECT_FALSE(form.item<recording_string_item_t>(1)->expanded);
    });
    // A row stored without the attribute starts unfolded and is saved with it.
    auto& plain = script.find<String_tag_t>(tags::String, 0);
    EXPECT_TRUE(plain.expanded);
    ASSERT_TRUE(plain.attributes());
    EXPECT_EQ(*plain.attributes()->find(u"expanded"), u"true");
}
