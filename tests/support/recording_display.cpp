#include "tests/support/recording_display.h"

#include "ui/action.h"
#include "ui/param.h"

namespace {

std::u16string number(int value) {
    auto digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string call(std::u16string_view op, std::u16string_view a = {}) {
    return std::u16string(op) + u"(" + std::u16string(a) + u")";
}

std::u16string call(std::u16string_view op, std::u16string_view a, int b) {
    return call(op, std::u16string(a) + u"|" + number(b));
}

}  // namespace

void recorded_t::log(const std::u16string& line) {
    display_.record(name_ + u"." + line);
}

recording_button_t::recording_button_t(recording_display_t& display, std::u16string first_caption, int button_kind)
    : recorded_t(display, u"button[" + first_caption + u"]"), caption(std::move(first_caption)), kind(button_kind) {}

void recording_button_t::set_caption(const std::u16string& text) {
    log(call(u"set_caption", text));
    caption = text;
}

void recording_button_t::set_action(action_t* a) {
    log(call(u"set_action"));
    action = a;
}

void recording_button_t::press() {
    log(call(u"press"));
    if (action) action->execute(0, 0);
}

recording_string_item_t::recording_string_item_t(recording_display_t& display, std::u16string shown_text)
    : recorded_t(display, u"string[" + shown_text + u"]"), text(std::move(shown_text)) {}

void recording_string_item_t::fold() {
    log(call(u"fold"));
    expanded = false;
}

void recording_string_item_t::unfold() {
    log(call(u"unfold"));
    expanded = true;
}

void recording_string_item_t::set_click_handler(action_t* handler) {
    log(call(u"set_click_handler"));
    click_handler = handler;
}

void recording_string_item_t::click() {
    if (click_handler) click_handler->execute(0, 0);
}

recording_input_item_t::recording_input_item_t(recording_display_t& display, std::u16string first_caption)
    : recorded_t(display, u"input[" + first_caption + u"]"), caption(std::move(first_caption)) {}

void recording_input_item_t::set_type(int t, int flags) {
    log(call(u"set_type", number(t), flags));
    type = t;
    password = (flags & 1) != 0;
}

void recording_input_item_t::set_input_mode(int mode) {
    log(call(u"set_input_mode", number(mode)));
    input_mode = mode;
}

void recording_input_item_t::set_min_length(int n) {
    log(call(u"set_min_length", number(n)));
    min_length = n;
}

void recording_input_item_t::set_max_length(int n) {
    log(call(u"set_max_length", number(n)));
    max_length_ = n;
}

void recording_input_item_t::set_error_text(const std::u16string& text) {
    log(call(u"set_error_text", text));
    error_text = text;
}

void recording_input_item_t::set_param(param_t* param) {
    value = param->value_text();
    log(call(u"set_param", value));
    params.push_back(param);
}

void recording_input_item_t::set_caption(const std::u16string& text) {
    log(call(u"set_caption", text));
    caption = text;
}

bool recording_input_item_t::commit_item(std::u16string& message) {
    if (static_cast<int>(value.size()) < min_length) {
        message = error_text;
        return false;
    }
    for (param_t* p : params)
        if (!p->apply_text(value)) {
            message = error_text;
            return false;
        }
    return true;
}

void recording_input_item_t::type_text(const std::u16string& text) {
    value = max_length_ > 0 ? text.substr(0, static_cast<std::size_t>(max_length_)) : text;
}

bool recording_input_item_t::commit(const std::u16string& text) {
    type_text(text);
    std::u16string message;
    return commit_item(message);
}

recording_checkbox_item_t::recording_checkbox_item_t(recording_display_t& display, std::u16string first_caption)
    : recorded_t(display, u"checkbox[" + first_caption + u"]"), caption(std::move(first_caption)) {}

void recording_checkbox_item_t::add_box(const std::u16string& text, bool ticked) {
    log(call(u"add_box", text, ticked));
    boxes.push_back(box_t{text, ticked, std::move(pending)});
    pending.clear();
}

void recording_checkbox_item_t::add_param(param_t* param) {
    log(call(u"add_param"));
    pending.push_back(param);
}

bool recording_checkbox_item_t::commit_item(std::u16string&) {
    for (const box_t& box : boxes)
        for (param_t* p : box.params)
            if (!p->apply_text(box.ticked ? u"true" : u"false")) return false;
    return true;
}

void recording_checkbox_item_t::set_caption(const std::u16string& text) {
    log(call(u"set_caption", text));
    caption = text;
}

recording_select_item_t::recording_select_item_t(recording_display_t& display, std::u16string first_caption)
    : recorded_t(display, u"select[" + first_caption + u"]"), caption(std::move(first_caption)) {}

void recording_select_item_t::set_style(int s) {
    log(call(u"set_style", number(s)));
    style = s;
}

void recording_select_item_t::add_option(const std::u16string& text, bool is_selected) {
    log(call(u"add_option", text, is_selected));
    options.push_back(text);
    if (is_selected) selected = static_cast<int>(options.size()) - 1;
}

void recording_select_item_t::add_listener(action_t* listener) {
    log(call(u"add_listener"));
    listeners.push_back(listener);
}

void recording_select_item_t::bind_param(param_t* param) {
    log(call(u"bind_param"));
    params.push_back(param);
}

std::u16string recording_select_item_t::selected_text() {
    if (options.empty()) return {};
    return options[selected >= 0 && selected < static_cast<int>(options.size()) ? selected : 0];
}

void recording_select_item_t::select_text(const std::u16string& text) {
    log(call(u"select_text", text));
    for (std::size_t i = 0; i < options.size(); ++i)
        if (options[i] == text) {
            selected = static_cast<int>(i);
            return;
        }
}

void recording_select_item_t::set_caption(const std::u16string& text) {
    log(call(u"set_caption", text));
    caption = text;
}

bool recording_select_item_t::commit_item(std::u16string&) {
    // As on the screen: a selection without options has nothing to store and refuses.
    if (options.empty()) return false;
    const std::u16string text = selected_text();
    for (param_t* p : params)
        if (!p->apply_text(text)) return false;
    return true;
}

void recording_select_item_t::pick(int index) {
    selected = index;
    for (action_t* l : listeners) l->execute(0, 0);
}

recording_form_t::recording_form_t(recording_display_t& display, std::u16string title)
    : recorded_t(display, u"form[" + title + u"]"), title_(std::move(title)) {}

void recording_form_t::show() {
    log(call(u"show"));
    ended_by_program_ = false;
    if (items.empty()) {
        if (default_button) default_button->press();
        return;
    }
    shown = true;
    if (display_.on_form_show) display_.on_form_show(*this);
    shown = false;
}

void recording_form_t::close() {
    log(call(u"close"));
    if (!shown) return;
    std::u16string scratch;
    for (auto& i : items)
        if (auto* part = dynamic_cast<recording_item_t*>(i.get())) part->commit_item(scratch);
    ended_by_program_ = true;
    shown = false;
}

bool recording_form_t::press(std::size_t index) {
    if (index >= max_commands) return false;
    recording_button_t* button = buttons.at(index);
    if (button->kind == button_t::confirming) {
        for (auto& i : items) {
            std::u16string message;
            auto* part = dynamic_cast<recording_item_t*>(i.get());
            if (part && !part->commit_item(message)) {
                log(call(u"refused", message.empty() ? u"ошибка" : message));
                return false;
            }
        }
    }
    button->press();
    return true;
}

void recording_form_t::add_button(button_t* button) {
    auto* b = static_cast<recording_button_t*>(button);
    log(call(u"add_button", b->caption));
    if (b->kind == button_t::back) {
        back_button = b;
        return;
    }
    buttons.push_back(b);
    if (!default_button && b->kind == button_t::confirming) default_button = b;
}

void recording_form_t::add_item(std::unique_ptr<item_t> item) {
    log(call(u"add_item"));
    items.push_back(std::move(item));
}

void recording_form_t::set_title(const std::u16string& text) {
    log(call(u"set_title", text));
    title_ = text;
}

void recording_form_t::clear() {
    log(call(u"clear"));
    items.clear();
    buttons.clear();
    default_button = back_button = nullptr;
    shown = false;
}

void recording_form_t::refresh() {
    log(call(u"refresh"));
}

void recording_list_t::show() {
    log(call(u"show"));
    selected_ = -1;
    if (!display_.picks.empty()) {
        selected_ = display_.picks.front();
        display_.picks.pop_front();
    }
}

void recording_list_t::close() {
    log(call(u"close"));
}

void recording_list_t::add_entry(const std::u16string& text, tag_t* tag, const std::u16string&) {
    log(call(u"add_entry", text));
    entries.emplace_back(text, tag);
}

void recording_alert_t::show() {
    log(call(u"show", text, kind));
    if (kind != question && kind != risky_question) {
        answer_ = true;
        return;
    }
    if (display_.answers.empty()) throw std::logic_error("a yes/no alert was shown with no answer queued");
    answer_ = display_.answers.front();
    display_.answers.pop_front();
}

void recording_display_t::set_logo_image(const std::u16string& file) {
    record(call(u"set_logo_image", file));
    logo_image.clear();
    for (char16_t c : file)
        if (c != u'/') logo_image += c;
}

std::unique_ptr<form_t> recording_display_t::create_form(const std::u16string& title) {
    record(call(u"create_form", title));
    return std::make_unique<recording_form_t>(*this, title);
}

std::unique_ptr<list_t> recording_display_t::create_list(const std::u16string& title) {
    record(call(u"create_list", title));
    return std::make_unique<recording_list_t>(*this);
}

std::unique_ptr<alert_t> recording_display_t::create_alert(const std::u16string& caption, const std::u16string& text,
                                                           int kind) {
    record(call(u"create_alert", caption + u"|" + text, kind));
    auto alert = std::make_unique<recording_alert_t>(*this, kind);
    alert->caption = caption;
    alert->text = text;
    return alert;
}

std::unique_ptr<string_item_t> recording_display_t::create_string_item(form_t*, const std::u16string& text) {
    record(call(u"create_string_item", text));
    return std::make_unique<recording_string_item_t>(*this, text);
}

std::unique_ptr<select_item_t> recording_display_t::create_select_item(form_t*, const std::u16string& caption) {
    record(call(u"create_select_item", caption));
    return std::make_unique<recording_select_item_t>(*this, caption);
}

std::unique_ptr<input_item_t> recording_display_t::create_input_item(form_t*, const std::u16string& caption) {
    record(call(u"create_input_item", caption));
    return std::make_unique<recording_input_item_t>(*this, caption);
}

std::unique_ptr<image_item_t> recording_display_t::create_image_item(form_t*, const std::u16string& file) {
    record(call(u"create_image_item", file));
    return std::make_unique<recording_image_item_t>(file);
}

std::unique_ptr<checkbox_item_t> recording_display_t::create_checkbox_item(form_t*, const std::u16string& caption) {
    record(call(u"create_checkbox_item", caption));
    return std::make_unique<recording_checkbox_item_t>(*this, caption);
}

std::unique_ptr<button_t> recording_display_t::create_button(form_t*, const std::u16string& caption, int kind) {
    record(call(u"create_button", caption, kind));
    return std::make_unique<recording_button_t>(*this, caption, kind);
}
