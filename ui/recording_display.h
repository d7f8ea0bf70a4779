#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ui/display.h"

// A display without a screen, for the tests of the script model. It records every call in `calls` as one
// readable line, answers yes/no alerts from `answers`, picks list entries from `picks`, and lets a test act
// as the user while a form is shown (`on_form_show`). The objects it makes keep everything they were told,
// so a test can read them back.

class recording_display_t;

class recording_button_t : public button_t {
public:
    recording_button_t(recording_display_t& display, std::u16string caption, int kind)
        : display_(display), caption(std::move(caption)), kind(kind) {}
    void set_caption(const std::u16string& text) override;
    void set_action(action_t* a) override;
    // Runs the action as the soft key would; nothing without one.
    void press();

    recording_display_t& display_;
    std::u16string caption;
    int kind;
    action_t* action = nullptr;
};

// A parameter list under a key, as the real items keep them.
using recording_params_t = std::vector<std::pair<std::u16string, param_t*>>;

class recording_string_item_t : public string_item_t {
public:
    explicit recording_string_item_t(std::u16string text) : text(std::move(text)) {}
    void fold() override { expanded = false; }
    void unfold() override { expanded = true; }
    void set_click_handler(action_t* handler) override { click_handler = handler; }
    // Clicks the text as the user would.
    void click();

    std::u16string text;
    bool expanded = true;
    action_t* click_handler = nullptr;
};

class recording_input_item_t : public input_item_t {
public:
    explicit recording_input_item_t(std::u16string caption) : caption(std::move(caption)) {}
    void set_type(int t, int flags) override {
        type = t;
        password = (flags & 1) != 0;
    }
    void set_input_mode(int mode) override { input_mode = mode; }
    void set_min_length(int n) override { min_length = n; }
    void set_max_length(int n) override { max_length_ = n; }
    void set_error_text(const std::u16string& text) override { error_text = text; }
    void set_param(param_t* param) override;
    void set_caption(const std::u16string& text) override { caption = text; }
    int max_length() override { return max_length_; }
    // Stores `text` into the bound parameters as a commit would; false when one refuses it.
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

class recording_image_item_t : public image_item_t {
public:
    explicit recording_image_item_t(std::u16string file) : file(std::move(file)) {}
    std::u16string file;
};

class recording_checkbox_item_t : public checkbox_item_t {
public:
    struct box_t {
        std::u16string text;
        bool ticked;
        std::vector<param_t*> params;
    };
    explicit recording_checkbox_item_t(std::u16string caption) : caption(std::move(caption)) {}
    void add_box(const std::u16string& text, bool ticked) override;
    void add_param(param_t* param) override { pending.push_back(param); }
    void set_caption(const std::u16string& text) override { caption = text; }

    std::u16string caption;
    std::vector<box_t> boxes;
    std::vector<param_t*> pending;
};

class recording_select_item_t : public select_item_t {
public:
    explicit recording_select_item_t(std::u16string caption) : caption(std::move(caption)) {}
    void set_style(int s) override { style = s; }
    void add_option(const std::u16string& text, bool is_selected) override;
    void add_listener(action_t* listener) override { listeners.push_back(listener); }
    void bind_param(param_t* param) override { params.push_back(param); }
    // The picked option; the first one while nothing is picked; empty without options.
    std::u16string selected_text() override;
    void select_text(const std::u16string& text) override;
    void set_caption(const std::u16string& text) override { caption = text; }
    // The user picks option `index`: the pick changes and every listener runs.
    void pick(int index);

    std::u16string caption;
    int style = 2;
    std::vector<std::u16string> options;
    int selected = -1;
    std::vector<action_t*> listeners;
    std::vector<param_t*> params;
};

class recording_form_t : public form_t {
public:
    recording_form_t(recording_display_t& display, std::u16string title)
        : display_(display), title_(std::move(title)) {}
    void show() override;
    void close() override;
    bool is_open() override { return shown; }
    void add_button(button_t* button) override { buttons.push_back(static_cast<recording_button_t*>(button)); }
    void add_item(std::unique_ptr<item_t> item) override { items.push_back(std::move(item)); }
    std::u16string title() override { return title_; }
    void set_title(const std::u16string& text) override { title_ = text; }
    void clear() override;
    void refresh() override;

    // The item at `index` as its recording class; null when it is of another class.
    template <class T>
    T* item(std::size_t index) {
        return index < items.size() ? dynamic_cast<T*>(items[index].get()) : nullptr;
    }

    recording_display_t& display_;
    std::u16string title_;
    std::vector<std::unique_ptr<item_t>> items;
    std::vector<recording_button_t*> buttons;
    bool shown = false;
};

class recording_list_t : public list_t {
public:
    explicit recording_list_t(recording_display_t& display) : display_(display) {}
    void show() override;
    void close() override {}
    bool is_open() override { return false; }
    void add_entry(const std::u16string& text, tag_t* tag, const std::u16string& note) override;
    int selected() override { return selected_; }

    recording_display_t& display_;
    std::vector<std::pair<std::u16string, tag_t*>> entries;
    int selected_ = -1;
};

class recording_alert_t : public alert_t {
public:
    recording_alert_t(recording_display_t& display, int kind) : display_(display), kind(kind) {}
    void show() override;
    void close() override {}
    bool is_open() override { return false; }
    bool answer() override { return answer_; }

    recording_display_t& display_;
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

    // Every call, one line each, for example u"create_alert(Ostrevan|Отправить?|2)" or u"show_form(Баланс)".
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
