#include "ui/recording_display.h"

#include "ui/script_calls.h"

namespace {

std::u16string number(int value) {
    auto digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

void recording_button_t::set_caption(const std::u16string& text) {
    caption = text;
    display_.record(u"button.set_caption(" + text + u")");
}

void recording_button_t::set_action(action_t* a) {
    action = a;
}

void recording_button_t::press() {
    display_.record(u"press(" + caption + u")");
    if (action) run_action(*action, 0, 0);
}

void recording_string_item_t::click() {
    if (click_handler) run_action(*click_handler, 0, 0);
}

void recording_input_item_t::set_param(param_t* param) {
    value = param_value_text(*param);
    params.push_back(param);
}

bool recording_input_item_t::commit(const std::u16string& text) {
    value = text;
    for (param_t* p : params)
        if (!apply_param_text(*p, text)) return false;
    return true;
}

void recording_checkbox_item_t::add_box(const std::u16string& text, bool ticked) {
    boxes.push_back(box_t{text, ticked, std::move(pending)});
    pending.clear();
}

void recording_select_item_t::add_option(const std::u16string& text, bool is_selected) {
    options.push_back(text);
    if (is_selected) selected = static_cast<int>(options.size()) - 1;
}

std::u16string recording_select_item_t::selected_text() {
    if (options.empty()) return {};
    return options[selected >= 0 && selected < static_cast<int>(options.size()) ? selected : 0];
}

void recording_select_item_t::select_text(const std::u16string& text) {
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i] == text) {
            selected = static_cast<int>(i);
            return;
        }
}

void recording_select_item_t::pick(int index) {
    selected = index;
    for (action_t* l : listeners) run_action(*l, 0, 0);
}

void recording_form_t::show() {
    display_.record(u"show_form(" + title_ + u")");
    shown = true;
    if (display_.on_form_show) display_.on_form_show(*this);
    shown = false;
}

void recording_form_t::close() {
    display_.record(u"close_form(" + title_ + u")");
    shown = false;
}

void recording_form_t::clear() {
    items.clear();
    buttons.clear();
    shown = false;
}

void recording_form_t::refresh() {
    display_.record(u"refresh_form(" + title_ + u")");
}

void recording_list_t::show() {
    display_.record(u"show_list");
    selected_ = -1;
    if (!display_.picks.empty()) {
        selected_ = display_.picks.front();
        display_.picks.pop_front();
    }
}

void recording_list_t::add_entry(const std::u16string& text, tag_t* tag, const std::u16string&) {
    display_.record(u"add_entry(" + text + u")");
    entries.emplace_back(text, tag);
}

void recording_alert_t::show() {
    display_.record(u"show_alert(" + text + u"|" + number(kind) + u")");
    if (kind != question) {
        answer_ = true;
        return;
    }
    if (display_.answers.empty()) throw std::logic_error("a yes/no alert was shown with no answer queued");
    answer_ = display_.answers.front();
    display_.answers.pop_front();
}

void recording_display_t::set_logo_image(const std::u16string& file) {
    record(u"set_logo_image(" + file + u")");
    logo_image.clear();
    for (char16_t c : file)
        if (c != u'/') logo_image += c;
}

std::unique_ptr<form_t> recording_display_t::create_form(const std::u16string& title) {
    record(u"create_form(" + title + u")");
    return std::make_unique<recording_form_t>(*this, title);
}

std::unique_ptr<list_t> recording_display_t::create_list(const std::u16string& title) {
    record(u"create_list(" + title + u")");
    return std::make_unique<recording_list_t>(*this);
}

std::unique_ptr<alert_t> recording_display_t::create_alert(const std::u16string& caption, const std::u16string& text,
                                                           int kind) {
    record(u"create_alert(" + caption + u"|" + text + u"|" + number(kind) + u")");
    auto alert = std::make_unique<recording_alert_t>(*this, kind);
    alert->caption = caption;
    alert->text = text;
    return alert;
}

std::unique_ptr<string_item_t> recording_display_t::create_string_item(form_t*, const std::u16string& text) {
    record(u"create_string_item(" + text + u")");
    return std::make_unique<recording_string_item_t>(text);
}

std::unique_ptr<select_item_t> recording_display_t::create_select_item(form_t*, const std::u16string& caption) {
    record(u"create_select_item(" + caption + u")");
    return std::make_unique<recording_select_item_t>(caption);
}

std::unique_ptr<input_item_t> recording_display_t::create_input_item(form_t*, const std::u16string& caption) {
    record(u"create_input_item(" + caption + u")");
    return std::make_unique<recording_input_item_t>(caption);
}

std::unique_ptr<image_item_t> recording_display_t::create_image_item(form_t*, const std::u16string& file) {
    record(u"create_image_item(" + file + u")");
    return std::make_unique<recording_image_item_t>(file);
}

std::unique_ptr<checkbox_item_t> recording_display_t::create_checkbox_item(form_t*, const std::u16string& caption) {
    record(u"create_checkbox_item(" + caption + u")");
    return std::make_unique<recording_checkbox_item_t>(caption);
}

std::unique_ptr<button_t> recording_display_t::create_button(form_t*, const std::u16string& caption, int kind) {
    record(u"create_button(" + caption + u"|" + number(kind) + u")");
    return std::make_unique<recording_button_t>(*this, caption, kind);
}
