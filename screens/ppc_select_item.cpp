#include "screens/ppc_select_item.h"

#include "screens/ppc_form.h"
#include "script/tag_interfaces.h"

ppc_select_item_t::~ppc_select_item_t() = default;

void ppc_select_item_t::set_style(int style) {
    if (soft_keys()) style = select_item_t::spin;
    if (style == select_item_t::spin) {
        window_ = std::make_unique<spin_select_wnd_t>(this);
    } else if (style == select_item_t::drop_down) {
        window_ = std::make_unique<popup_select_wnd_t>(this);
    } else {
        window_ = std::make_unique<exclusive_select_wnd_t>(this);
    }
}

void ppc_select_item_t::add_option(const std::u16string& text, bool selected) {
    options_.push_back(text);
    actions_.push_back(false);
    if (selected) selected_ = static_cast<int>(options_.size()) - 1;
}

void ppc_select_item_t::add_action_option(const std::u16string& text, bool selected) {
    add_option(text, selected);
    actions_.back() = true;
}

std::u16string ppc_select_item_t::selected_text() {
    // Nothing picked yet shows, and so stands for, the first option.
    if (options_.empty()) return {};
    if (selected_ < 0 || selected_ >= static_cast<int>(options_.size())) return options_.front();
    return options_[selected_];
}

void ppc_select_item_t::select_text(const std::u16string& text) {
    for (std::size_t i = 0; i < options_.size(); ++i)
        if (options_[i] == text) {
            selected_ = static_cast<int>(i);
            return;
        }
}

bool ppc_select_item_t::create(ppc_rect_t& rect) {
    if (!ppc_captioned_item_t::create(rect)) return false;
    // Without a style: a drop-down list, also on a keypad phone, where only a style the script sets turns
    // into the one-line list.
    if (!window_) window_ = std::make_unique<popup_select_wnd_t>(this);
    window_->create(rect.left, rect.top, rect.right, rect.bottom, page());
    if (selected_ == -1) selected_ = 0;
    for (std::size_t i = 0; i < options_.size(); ++i)
        window_->add_option(options_[i], static_cast<int>(i) == selected_);
    window_->set_caption(QString::fromStdU16String(caption_text()));
    if (auto* popup = dynamic_cast<popup_select_wnd_t*>(window_.get())) name_by_caption(popup->control());
    if (auto* line = dynamic_cast<spin_select_wnd_t*>(window_.get())) name_by_caption(line->control());
    rect.top += window_->get_rect().height();
    return true;
}

bool ppc_select_item_t::layout(ppc_rect_t& rect) {
    if (!window_ || !ppc_captioned_item_t::layout(rect)) return false;
    int height = window_->get_rect().height();
    window_->move(rect.left, rect.top, rect.right, rect.top + height);
    rect.top += height;
    return true;
}

bool ppc_select_item_t::commit(std::u16string&) {
    // An item without options has nothing to store and refuses, rather than store a text nobody picked.
    if (options_.empty()) return false;
    return store_default(selected_text());
}

void ppc_select_item_t::pick_changed(int index) {
    if (index < 0 || index >= static_cast<int>(options_.size())) return;
    selected_ = index;
    form()->keep_focus_through([&] {
        for (action_t* listener : listeners_) listener->execute(0, 0);
    });
}

item_automation_t ppc_select_item_t::automation() const {
    item_automation_t item = ppc_captioned_item_t::automation();
    if (auto* popup = dynamic_cast<popup_select_wnd_t*>(window_.get()); popup && popup->control()) {
        popup_combo_t* combo = popup->control();
        item.kind = item_automation_t::kind_t::drop_down;
        item.control = combo;
        item.shown = combo->currentText();
        for (int i = 0; i < combo->count(); ++i) item.entries << combo->itemText(i);
    } else if (auto* line = dynamic_cast<spin_select_wnd_t*>(window_.get()); line && line->control()) {
        spin_select_control_t* arrows = line->control();
        item.kind = item_automation_t::kind_t::one_line_list;
        item.control = arrows;
        item.shown = arrows->current_text();
        for (int i = 0; i < arrows->count(); ++i) item.entries << arrows->option(i);
    } else if (auto* radios = dynamic_cast<exclusive_select_wnd_t*>(window_.get())) {
        item.kind = item_automation_t::kind_t::radio_buttons;
        for (const auto& button : radios->radios())
            if (button) {
                item.entries << button->text();
                item.buttons.push_back(button);
            }
    }
    return item;
}
