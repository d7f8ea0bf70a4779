// Selections, check boxes and inputs handing their values to variables through "Parameter" and "Save",
// and what of it survives a restart.
#include <gtest/gtest.h>

#include "script/select_tags.h"
#include "script/tag_codes.h"
#include "script_run.h"

namespace {

TEST(Select, CommittedByNameStoresValueAndDisplayAndIsPickedAgainByValue) {
    script_run_t run("choices");
    run.run(u"choices", [&](recording_form_t& form) {
        auto& tariff = user::select(form, u"Тариф");
        EXPECT_EQ(tariff.selected_text(), u"C") << "the entry marked Default";
        user::choose(form, u"Тариф", u"B");
        EXPECT_TRUE(user::press(form, u"OK"));
        const string_var_t* var = lookup_string(u"tariff");
        ASSERT_NE(var, nullptr);
        EXPECT_EQ(var->value, u"2");
        EXPECT_EQ(var->display, u"B");
    });
    run.run(u"choices", [&](recording_form_t& form) {
        // The stored value 2 picks its first entry, B, over the default C of the same value.
        EXPECT_EQ(user::select(form, u"Тариф").selected_text(), u"B");
    });
}

TEST(Select, ModeKeywordsAreExact) {
    script_run_t run("choices");
    run.run(u"modes", [&](recording_form_t& form) {
        const std::pair<const char16_t*, int> expected[] = {{u"1", select_item_t::radio},
                                                            {u"2", select_item_t::drop_down},
                                                            {u"3", select_item_t::spin},
                                                            {u"4", select_item_t::radio},
                                                            {u"5", select_item_t::radio}};
        for (const auto& [caption, style] : expected)
            EXPECT_EQ(user::select(form, caption).style, style) << int(caption[0]);
    });
}

TEST(Input, CurrencyRefusesAZeroAmountHoweverWritten) {
    struct zero_case_t {
        std::u16string text;
        bool accepted;
    };
    const zero_case_t cases[] = {
        {u"0", false},    {u"0.0", false}, {u"0.", false},   {u".00", false}, {u".0", false},  {u"0.00", false},
        {u"00.0", false}, {u"000", false}, {u"0,00", false}, {u"00", false},  {u" 0 ", false}, {u"10", true},
        {u"0.01", true},  {u"100", true},  {u"", true},      {u".", true},
    };
    // The type written in any case, and an amount the bank takes in minor units, refuse it alike.
    const std::u16string inputs[] = {u"Сумма", u"Сумма строчными", u"Сумма в копейках"};
    script_run_t run("choices");
    run.run(u"choices", [&](recording_form_t& form) {
        for (const auto& c : cases)
            for (const auto& caption : inputs)
                EXPECT_EQ(user::input(form, caption).commit(c.text), c.accepted)
                    << std::string(c.text.begin(), c.text.end()) << " in " << caption.size();
        EXPECT_TRUE(lookup_string(u"minor")->remove_point);
        EXPECT_FALSE(lookup_string(u"sum")->remove_point);
        // Pressed with a zero amount, the form refuses and keeps the user on it.
        user::type(form, u"Сумма", u"000");
        EXPECT_FALSE(user::press(form, u"OK"));
        EXPECT_TRUE(form.is_open());
    });
}

TEST(Input, PlusSignPutInFrontOnce) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"79001234567", u"+79001234567"}, {u"+79001234567", u"+79001234567"}, {u"", u""}};
    script_run_t run("choices");
    run.run(u"choices", [&](recording_form_t& form) {
        for (const auto& [typed, stored] : cases) {
            EXPECT_TRUE(user::input(form, u"Телефон").commit(typed));
            EXPECT_EQ(lookup_string(u"phone")->value, stored);
        }
    });
}

TEST(Save, EnteredValueSurvivesARestart) {
    script_run_t run("choices");
    run.run(u"choices", [&](recording_form_t& form) {
        user::type(form, u"Сумма", u"100");
        EXPECT_TRUE(user::press(form, u"OK"));
    });
    EXPECT_EQ(global_vars->get_string(u"last_sum")->value, u"100");
    run.restart();
    EXPECT_EQ(global_vars->get_string(u"last_sum")->value, u"100");
    run.run(u"choices", [&](recording_form_t& form) { EXPECT_EQ(user::input(form, u"Сумма").value, u"100"); });
}

// The state children of every entry of the item "choices", by entry name: how many "Default" and
// "DefaultValue" children each has.
std::vector<std::tuple<std::u16string, int, int>> state_children(script_run_t& run) {
    std::vector<std::tuple<std::u16string, int, int>> found;
    std::function<void(tag_t&)> walk = [&](tag_t& tag) {
        if (auto* entry = dynamic_cast<Item_tag_t*>(&tag)) {
            int defaults = 0, values = 0;
            for (auto& child : entry->children) {
                defaults += child->code == tags::Default;
                values += child->code == tags::DefaultValue;
            }
            found.emplace_back(entry->name(), defaults, values);
        }
        if (auto* node = dynamic_cast<tag_complex_t*>(&tag))
            for (auto& child : node->children) walk(*child);
    };
    walk(run.item(u"choices"));
    return found;
}

TEST(Item, SavedStateDoesNotGrowTheSettingsAndLoadsTheSame) {
    script_run_t run("choices");
    const std::u16string options = u"Опции";
    run.run(u"choices", [&](recording_form_t& form) {
        auto& boxes = user::find<recording_checkbox_item_t>(form, options);
        ASSERT_EQ(boxes.boxes.size(), 2u);
        EXPECT_TRUE(boxes.boxes[0].ticked);
        EXPECT_TRUE(boxes.boxes[1].ticked) << "written the old way, the last of two states wins";
    });
    for (int start = 0; start < 3; ++start) run.restart();
    using row_t = std::tuple<std::u16string, int, int>;
    EXPECT_EQ(state_children(run),
              (std::vector<row_t>{{u"A", 0, 0}, {u"B", 0, 0}, {u"C", 1, 0}, {u"Срочно", 0, 1}, {u"СМС", 0, 1}}));
    run.run(u"choices", [&](recording_form_t& form) {
        EXPECT_EQ(user::select(form, u"Тариф").selected_text(), u"C");
        auto& boxes = user::find<recording_checkbox_item_t>(form, options);
        EXPECT_TRUE(boxes.boxes[0].ticked);
        EXPECT_TRUE(boxes.boxes[1].ticked);
    });
}

TEST(CheckBox, ClearedBoxStaysClearedNextTime) {
    script_run_t run("choices");
    run.run(u"choices", [&](recording_form_t& form) {
        auto& boxes = user::find<recording_checkbox_item_t>(form, u"Опции");
        boxes.boxes[0].ticked = false;
        EXPECT_TRUE(user::press(form, u"OK"));
        EXPECT_FALSE(current_vars->get_bool(u"urgent")->value);
    });
    run.run(u"choices", [&](recording_form_t& form) {
        EXPECT_FALSE(user::find<recording_checkbox_item_t>(form, u"Опции").boxes[0].ticked);
    });
}

}  // namespace
