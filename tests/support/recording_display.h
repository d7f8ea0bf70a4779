#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ui/display.h"

// A display without a screen, for the tests of the script model. It records every call that changes
// something in `calls`, one readable line each, "who.what(arguments)", for example
// u"input[Сумма].set_max_length(10)" or u"form[Перевод].show()". It answers yes/no alerts from `answers`,
// picks list entries from `picks`, and lets a test act as the user while a form is shown (`on_form_show`).
// The objects it makes keep everything they were told, so a test can also read them back.
//
// Its form keeps the contract of the real one: show() of a form without items presses the default button
// instead of showing anything; close() from code while shown commits every item; a confirming button
// pressed from the soft keys (`press`) first has every item check and store its value.

class recording_display_t;

// What every recorded object shares: the display that keeps the record and the object's name in it.
class recorded_t {
public:
    recorded_t(recording_display_t& display, std::u16string name) : display_(display), name_(std::move(name)) {}

protected:
    void log(const std::u16string& call);
    recording_display_t& display_;

private:
    std::u16string name_;
};

// The part of every recorded item that the form drives: check the value on the screen and store it into
// the bound parameters; false refuses, with an error text in `message` where the item has one.
class recording_item_t {
public:
    virtual bool commit_item(std::u16string& message) = 0;

protected:
    ~recording_item_t() = default;
};

class recording_button_t : public button_t, public recorded_t {
public:
    recording_button_t(recording_display_t& display, std::u16string caption, int kind);
    void set_caption(const std::u16string& text) override;
    void set_action(action_t* a) override;
    // Runs the action as the soft key would, without the form's checks; nothing without an action.
    void press();

    std::u16string caption;
    int kind;
    action_t* action = nullptr;
};

class recording_string_item_t : public string_item_t, public recording_item_t, public recorded_t {
public:
    recording_string_item_t(recording_display_t& display, std::u16string text);
    void fold() override;
    void unfold() override;
    void set_click_handler(action_t* handler) override;
    bool commit_item(std::u16string&) override { return true; }
    // Clicks the text as the user would.
    void click();

    std::u16string text;
    bool expanded = true;
    action_t* click_handler = nullptr;
};

class recording_input_item_t : public input_item_t, public recording_item_t, public recorded_t {
public:
    recording_input_item_t(recording_display_t& display, std::u16string caption);
    void set_type(int t, int flags) override;
    void set_input_mode(int mode) override;
    void set_min_length(int n) override;
    void set_max_length(int n) override;
    void set_error_text(const std::u16string& text) override;
    void set_param(param_t* param) override;
    void set_caption(const std::u16string& text) override;
    int max_length() override { return max_length_; }
    // Refuses a value shorter than the minimum with the error text, else stores it into the parameters.
    bool commit_item(std::u16string& message) override;
    // The user rubs out what the input holds and types `text`: past the length limit (when there is one) no
    // character is taken, as on the screen.
    void type_text(const std::u16string& text);
    // The user types `text` into the input, then the item commits it; false when refused.
    bool commit(const std::u16string& text);

    std::u16string caption;
    std::u16string value;
    int type = 0;
    bool password = false;
    int input_mode = 0;
    int min_length = 0;
    int max_length_ = 255;
    std::u16string error_text;
    std::vector<param_t*> params;
};

class recording_image_item_t : public image_item_t, public recording_item_t {
public:
    explicit recording_image_item_t(std::u16string name) : file(std::move(name)) {}
    bool commit_item(std::u16string&) override { return true; }

    std::u16string file;
};

class recording_checkbox_item_t : public checkbox_item_t, public recording_item_t, public recorded_t {
public:
    struct box_t {
        std::u16string text;
        bool ticked;
        std::vector<param_t*> params;
    };
    recording_checkbox_item_t(recording_display_t& display, std::u16string caption);
    void add_box(const std::u16string& text, bool ticked) override;
    void add_param(param_t* param) override;
    void set_caption(const std::u16string& text) override;
    // Each box stores "true" or "false" into its parameters; stops at the first refusal.
    bool commit_item(std::u16string& message) override;

    std::u16string caption;
    std::vector<box_t> boxes;
    std::vector<param_t*> pending;
};

class recording_select_item_t : public select_item_t, public recording_item_t, public recorded_t {
public:
    recording_select_item_t(recording_display_t& display, std::u16string caption);
    void set_style(int s) override;
    void add_option(const std::u16string& text, bool is_selected) override;
    void add_listener(action_t* listener) override;
    void bind_param(param_t* param) override;
    // The picked option; the first one while nothing is picked; empty without options.
    std::u16string selected_text() override;
    void select_text(const std::u16string& text) override;
    void set_caption(const std::u16string& text) override;
    // Stores the picked option into the parameters; without options refuses.
    bool commit_item(std::u16string& message) override;
    // The user picks option `index`: the pick changes and every listener runs.
    void pick(int index);

    std::u16string caption;
    int style = 2;
    std::vector<std::u16string> options;
    int selected = -1;
    std::vector<action_t*> listeners;
    std::vector<param_t*> params;
};

class recording_form_t : public form_t, public recorded_t {
public:
    recording_form_t(recording_display_t& display, std::u16string title);
    // Without items: presses the default button, if any, and shows nothing. Otherwise open while the
    // display's on_form_show acts as the user; returning from it is the user leaving with "Назад".
    void show() override;
    // Only while shown: commits every item, ignoring refusals, and ends the form.
    void close() override;
    bool is_open() override { return shown; }
    void add_button(button_t* button) override;
    void add_item(std::unique_ptr<item_t> item) override;
    std::u16string title() override { return title_; }
    void set_title(const std::u16string& text) override;
    void clear() override;
    void refresh() override;
    bool ended_by_program() override { return ended_by_program_; }

    // The user chooses soft-key command `index` (of `buttons`). A confirming button first has the items
    // check and store their values in order; the first refusal is shown as an error box
    // ("form[...].refused(message)"), nothing is pressed and false is returned. As on the screen, only the
    // first `max_commands` buttons can be chosen: a later one does nothing and gives false.
    bool press(std::size_t index);
    static constexpr std::size_t max_commands = 10;

    // The item at `index` as its recording class; null when it is of another class.
    template <class T>
    T* item(std::size_t index) {
        return index < items.size() ? dynamic_cast<T*>(items[index].get()) : nullptr;
    }

    std::u16string title_;
    std::vector<std::unique_ptr<item_t>> items;
    // Every button but the back button, in the order added.
    std::vector<recording_button_t*> buttons;
    // The first confirming button added; the last back button added.
    recording_button_t* default_button = nullptr;
    recording_button_t* back_button = nullptr;
    bool shown = false;

private:
    bool ended_by_program_ = false;
};

class recording_list_t : public list_t, public recorded_t {
public:
    explicit recording_list_t(recording_display_t& display) : recorded_t(display, u"list") {}
    void show() override;
    void close() override;
    bool is_open() override { return false; }
    void add_entry(const std::u16string& text, tag_t* tag, const std::u16string& note) override;
    int selected() override { return selected_; }

    std::vector<std::pair<std::u16string, tag_t*>> entries;
    int selected_ = -1;
};

class recording_alert_t : public alert_t, public recorded_t {
public:
    recording_alert_t(recording_display_t& display, int alert_kind) : recorded_t(display, u"alert"), kind(alert_kind) {}
    void show() override;
    void close() override {}
    bool is_open() override { return false; }
    bool answer() override { return answer_; }

    int kind;
    std::u16string caption;
    std::u16string text;
    bool answer_ = false;
};

class recording_display_t : public display_t {
public:
    void set_logo_image(const std::u16string& file) override;
    std::unique_ptr<form_t> create_form(const std::u16string& title) override;
    std::unique_ptr<list_t> create_list(const std::u16string& title) override;
    std::unique_ptr<alert_t> create_alert(const std::u16string& caption, const std::u16string& text, int kind) override;
    std::unique_ptr<string_item_t> create_string_item(form_t* form, const std::u16string& text) override;
    std::unique_ptr<select_item_t> create_select_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<input_item_t> create_input_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<image_item_t> create_image_item(form_t* form, const std::u16string& file) override;
    std::unique_ptr<checkbox_item_t> create_checkbox_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<button_t> create_button(form_t* form, const std::u16string& caption, int kind) override;

    void record(std::u16string line) { calls.push_back(std::move(line)); }

    std::vector<std::u16string> calls;
    std::u16string logo_image;
    // Answers to yes/no alerts, taken from the front. Information and error alerts answer true and take none;
    // a yes/no alert with no answer left is a fault of the test and throws std::logic_error.
    std::deque<bool> answers;
    // Picks of shown lists, taken from the front; a list shown with none left picks nothing (-1).
    std::deque<int> picks;
    // Called while a form is shown, in place of the user; the form is open during the call.
    std::function<void(recording_form_t&)> on_form_show;
};
