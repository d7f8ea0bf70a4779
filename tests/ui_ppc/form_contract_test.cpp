// What the script relies on from a form, checked on both forms it meets: the recording form that stands in for
// the screens in the script's tests, and the Qt form the user sees (offscreen, on a keypad phone and on a touch
// screen). Where they part, the Qt form is what the user gets and the recording form follows it.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "resources/texts.h"
#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_select_item.h"
#include "tests/support/qt_application.h"
#include "tests/support/recording_display.h"
#include "tests/ui/script_stand_ins.h"
#include "tests/ui_ppc/form_fixture.h"
#include "ui/button.h"

namespace {

// The recording form: the test acts as the user inside its show().
class recording_side_t {
public:
    display_t& screens() { return display_; }
    void show(form_t& form, const std::function<void()>& user) {
        display_.on_form_show = [&](recording_form_t&) { user(); };
        form.show();
    }
    // The user rubs out what the input holds and types `text`.
    void type(input_item_t& item, const std::u16string& text) {
        static_cast<recording_input_item_t&>(item).type_text(text);
    }
    std::u16string shown(input_item_t& item) { return static_cast<recording_input_item_t&>(item).value; }
    void pick(select_item_t& item, int index) { static_cast<recording_select_item_t&>(item).pick(index); }
    // The user chooses soft-key command `index`; what an error box said, empty when none came up.
    std::u16string press(form_t& form, std::size_t index) {
        const std::size_t before = display_.calls.size();
        static_cast<recording_form_t&>(form).press(index);
        static constexpr std::u16string_view refused = u".refused(";
        for (std::size_t i = before; i < display_.calls.size(); ++i)
            if (const auto at = display_.calls[i].find(refused); at != std::u16string::npos)
                return display_.calls[i].substr(at + refused.size(),
                                                display_.calls[i].size() - at - refused.size() - 1);
        return {};
    }

private:
    recording_display_t display_;
};

// The Qt form, shown modally; the test types into its controls with keys and uses its soft-key commands.
template <bool soft_keys>
class qt_side_t {
public:
    qt_side_t() : display_((qt_application(), test_device(soft_keys)), nullptr) {
        message_box_t::clear_next_answers();
        message_box_t::clear_record();
    }
    display_t& screens() { return display_; }
    // As while_shown, but a form that shows nothing (no items) leaves no user behind for a later loop.
    void show(form_t& form, const std::function<void()>& user) {
        QObject during_show;
        QTimer::singleShot(0, &during_show, [&] {
            auto& shown = static_cast<ppc_form_t&>(form);
            make_active(&shown);
            user();
            if (shown.is_open()) shown.command(ppc_form_t::cancel_command);
        });
        form.show();
    }
    void type(input_item_t& item, const std::u16string& text) {
        QLineEdit* edit = static_cast<ppc_input_item_t&>(item).control();
        edit->setFocus();
        type_key(edit, Qt::Key_End);
        for (auto n = edit->text().size(); n > 0; --n) type_key(edit, Qt::Key_Backspace, "\b");
        type_text(edit, QString::fromStdU16String(text));
    }
    std::u16string shown(input_item_t& item) {
        QLineEdit* edit = static_cast<ppc_input_item_t&>(item).control();
        return edit ? edit->text().toStdU16String() : u"(no control)";
    }
    // The user picks an option on the control, which reports it as the control of every style does.
    void pick(select_item_t& item, int index) { static_cast<ppc_select_item_t&>(item).pick_changed(index); }
    std::u16string press(form_t& form, std::size_t index) {
        message_box_t::clear_record();
        message_box_t::set_next_answer(QMessageBox::Ok);
        static_cast<ppc_form_t&>(form).command(ppc_form_t::first_button_command + static_cast<int>(index));
        const auto record = message_box_t::record();
        message_box_t::clear_next_answers();
        return record.isEmpty() ? std::u16string() : record.front().text.toStdU16String();
    }

private:
    ppc_display_t display_;
};

template <class Side>
class FormContract : public ::testing::Test {
protected:
    // A form titled "Платёж" with what the case adds; buttons are kept here, as their tags keep them.
    form_t& form() {
        if (!form_) form_ = side.screens().create_form(u"Платёж");
        return *form_;
    }
    input_item_t& input(const std::u16string& caption, test_param_t* param = nullptr) {
        auto item = side.screens().create_input_item(&form(), caption);
        if (param) item->set_param(param);
        return add(std::move(item));
    }
    select_item_t& select(const std::u16string& caption, const std::vector<std::u16string>& options,
                          int selected = -1) {
        auto item = side.screens().create_select_item(&form(), caption);
        item->set_style(select_item_t::drop_down);
        for (int i = 0; i < static_cast<int>(options.size()); ++i) item->add_option(options[i], i == selected);
        return add(std::move(item));
    }
    void button(const std::u16string& caption, int kind, test_action_t& action) {
        buttons_.push_back(side.screens().create_button(&form(), caption, kind));
        buttons_.back()->set_action(&action);
        form().add_button(buttons_.back().get());
    }
    template <class T>
    T& add(std::unique_ptr<T> item) {
        T& kept = *item;
        form().add_item(std::move(item));
        return kept;
    }

    Side side;
    std::unique_ptr<form_t> form_;
    std::vector<std::unique_ptr<button_t>> buttons_;
};

using sides = ::testing::Types<recording_side_t, qt_side_t<true>, qt_side_t<false>>;
class side_names {
public:
    template <class T>
    static std::string GetName(int i) {
        return i == 0 ? "recording" : i == 1 ? "qt_keypad" : "qt_touch";
    }
};
TYPED_TEST_SUITE(FormContract, sides, side_names);

TYPED_TEST(FormContract, WithoutItemsShowRunsTheDefaultButtonAndShowsNothing) {
    test_action_t help, send;
    this->button(u"Справка", button_t::plain, help);
    this->button(u"Отправить", button_t::confirming, send);
    bool shown = false;
    this->side.show(this->form(), [&] { shown = true; });
    EXPECT_FALSE(shown);
    EXPECT_EQ(send.runs, 1);
    EXPECT_EQ(help.runs, 0);
    EXPECT_FALSE(this->form().is_open());
}

TYPED_TEST(FormContract, ItemsStartWithTheirValuesAndTheConfirmingButtonStoresThem) {
    test_param_t amount, operator_;
    amount.value = u"10";
    test_action_t send, help;
    input_item_t& sum = this->input(u"Сумма", &amount);
    select_item_t& pick = this->select(u"Оператор", {u"Оператор 1", u"Оператор 2", u"Оператор 3"}, 1);
    pick.bind_param(&operator_);
    this->button(u"Отправить", button_t::confirming, send);
    this->button(u"Справка", button_t::plain, help);
    EXPECT_EQ(pick.selected_text(), u"Оператор 2");
    this->side.show(this->form(), [&] {
        EXPECT_TRUE(this->form().is_open());
        EXPECT_EQ(this->side.shown(sum), u"10");
        this->side.type(sum, u"250");
        this->side.pick(pick, 2);
        // A plain command stores nothing; the confirming one stores every item, then runs.
        EXPECT_EQ(this->side.press(this->form(), 1), u"");
        EXPECT_TRUE(amount.applied.empty());
        EXPECT_EQ(this->side.press(this->form(), 0), u"");
    });
    EXPECT_FALSE(this->form().is_open());
    EXPECT_EQ(help.runs, 1);
    EXPECT_EQ(send.runs, 1);
    EXPECT_EQ(amount.applied, std::vector<std::u16string>{u"250"});
    EXPECT_EQ(operator_.applied, std::vector<std::u16string>{u"Оператор 3"});
    EXPECT_FALSE(this->form().ended_by_program());
}

TYPED_TEST(FormContract, ARefusalShowsItsTextAndPressesNothing) {
    struct case_t {
        const char* name;
        std::u16string typed;
        bool param_refuses;
        std::u16string error_text;
        std::u16string shown;  // in the error box; empty: none, the button ran
    };
    const case_t cases[] = {
        {"long enough", u"1234", false, u"Мало цифр", u""},
        {"shorter than the minimum", u"12", false, u"Мало цифр", u"Мало цифр"},
        {"the parameter refuses", u"1234", true, u"Не та карта", u"Не та карта"},
        {"refused without a text", u"12", false, u"", texts::item_error},
    };
    for (const case_t& c : cases) {
        SCOPED_TRACE(c.name);
        this->form_.reset();
        this->buttons_.clear();
        test_param_t card;
        card.refuse = c.param_refuses;
        test_action_t send;
        input_item_t& number = this->input(u"Карта", &card);
        number.set_min_length(3);
        number.set_error_text(c.error_text);
        this->button(u"Отправить", button_t::confirming, send);
        std::u16string said;
        this->side.show(this->form(), [&] {
            this->side.type(number, c.typed);
            said = this->side.press(this->form(), 0);
            // The form stays: after a refusal the user mends the value; a command's action ends the form if it will.
            EXPECT_TRUE(this->form().is_open());
        });
        EXPECT_EQ(said, c.shown);
        EXPECT_EQ(send.runs, c.shown.empty() ? 1 : 0);
    }
}

TYPED_TEST(FormContract, CloseFromCodeKeepsWhatIsShownAndBackKeepsNothing) {
    test_param_t code, amount;
    input_item_t& short_code = this->input(u"Код", &code);
    short_code.set_min_length(5);
    input_item_t& sum = this->input(u"Сумма", &amount);
    this->side.show(this->form(), [&] {
        this->side.type(short_code, u"7");
        this->side.type(sum, u"8");
        // Every item stores what it shows; one that refuses stops neither the others nor the close.
        this->form().close();
        EXPECT_FALSE(this->form().is_open());
    });
    EXPECT_TRUE(this->form().ended_by_program());
    EXPECT_TRUE(code.applied.empty());
    EXPECT_EQ(amount.applied, std::vector<std::u16string>{u"8"});
    // The user leaving with "Назад" stores nothing; close() while not shown does nothing.
    this->side.show(this->form(), [&] { this->side.type(sum, u"9"); });
    EXPECT_FALSE(this->form().ended_by_program());
    this->form().close();
    EXPECT_EQ(amount.applied, std::vector<std::u16string>{u"8"});
}

TYPED_TEST(FormContract, ASelectionWithoutOptionsStoresNothingAndRefuses) {
    test_param_t picked;
    test_action_t send;
    select_item_t& empty = this->select(u"Карта", {});
    empty.bind_param(&picked);
    this->button(u"Отправить", button_t::confirming, send);
    EXPECT_EQ(empty.selected_text(), u"");
    std::u16string said;
    this->side.show(this->form(), [&] { said = this->side.press(this->form(), 0); });
    EXPECT_EQ(said, texts::item_error);
    EXPECT_EQ(send.runs, 0);
    EXPECT_TRUE(picked.applied.empty());
}

TYPED_TEST(FormContract, ListenersHearTheUsersPicksOnly) {
    test_action_t listener;
    select_item_t& pick = this->select(u"Оператор", {u"Оператор 1", u"Оператор 2"});
    pick.add_listener(&listener);
    // Nothing picked stands for the first option; the program's pick is heard by nobody; an unknown text changes
    // nothing; a later selected option wins over an earlier one.
    EXPECT_EQ(pick.selected_text(), u"Оператор 1");
    pick.select_text(u"Оператор 2");
    pick.select_text(u"Оператор 9");
    EXPECT_EQ(pick.selected_text(), u"Оператор 2");
    EXPECT_EQ(listener.runs, 0);
    pick.add_option(u"Оператор 3", true);
    EXPECT_EQ(pick.selected_text(), u"Оператор 3");
    this->side.show(this->form(), [&] { this->side.pick(pick, 0); });
    EXPECT_EQ(pick.selected_text(), u"Оператор 1");
    EXPECT_EQ(listener.runs, 1);
}

TYPED_TEST(FormContract, TheLengthLimitHoldsForWhatIsTyped) {
    test_param_t code;
    input_item_t& field = this->input(u"Код", &code);
    EXPECT_EQ(field.max_length(), 255);
    field.set_max_length(4);
    EXPECT_EQ(field.max_length(), 4);
    this->side.show(this->form(), [&] {
        this->side.type(field, u"123456");
        EXPECT_EQ(this->side.shown(field), u"1234");
        this->form().close();
    });
    EXPECT_EQ(code.applied, std::vector<std::u16string>{u"1234"});
}

TYPED_TEST(FormContract, OnlyTenCommandsReachTheFormAndTheBackButtonIsNoneOfThem) {
    std::vector<test_action_t> actions(12);
    test_action_t back;
    this->input(u"Сумма");
    this->button(u"Назад", button_t::back, back);
    for (std::size_t i = 0; i < actions.size(); ++i)
        this->button(u"Команда " + std::u16string(1, static_cast<char16_t>(u'A' + i)), button_t::plain, actions[i]);
    this->side.show(this->form(), [&] {
        for (std::size_t i = 0; i < actions.size(); ++i) this->side.press(this->form(), i);
    });
    for (std::size_t i = 0; i < actions.size(); ++i) EXPECT_EQ(actions[i].runs, i < 10 ? 1 : 0) << i;
    EXPECT_EQ(back.runs, 0);
}

TYPED_TEST(FormContract, ClearForgetsItemsAndButtons) {
    test_action_t send;
    this->input(u"Сумма");
    this->button(u"Отправить", button_t::confirming, send);
    this->form().set_title(u"Перевод");
    EXPECT_EQ(this->form().title(), u"Перевод");
    this->form().clear();
    // Without items or buttons, showing does nothing at all.
    bool shown = false;
    this->side.show(this->form(), [&] { shown = true; });
    EXPECT_FALSE(shown);
    EXPECT_EQ(send.runs, 0);
}

}  // namespace
