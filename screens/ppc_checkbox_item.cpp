#include "screens/ppc_checkbox_item.h"

#include "screens/wrapped_button.h"

ppc_checkbox_item_t::~ppc_checkbox_item_t() {
    delete_controls();
}

void ppc_checkbox_item_t::delete_controls() {
    for (auto& control : controls_) delete control.data();
    controls_.clear();
}

void ppc_checkbox_item_t::add_box(const std::u16string& text, bool ticked) {
    for (param_t* param : pending_) bind(param, text);
    pending_.clear();
    boxes_.push_back(box_t{text, ticked});
}

bool ppc_checkbox_item_t::create(ppc_rect_t& rect) {
    if (!ppc_captioned_item_t::create(rect)) return false;
    delete_controls();
    int h = line_height();
    for (const box_t& box : boxes_) {
        auto* control = new wrapped_button_t<QCheckBox>(QString::fromStdU16String(box.text), page());
        control->setChecked(box.ticked);
        // A screen reader reads the box by its own text, and the item's caption with it.
        control->setAccessibleDescription(QString::fromStdU16String(caption_text()));
        // A text too long for one row wraps, and its row grows to hold it.
        int row = std::max(h + h / 3, control->heightForWidth(rect.right - rect.left));
        control->setGeometry(rect.left, rect.top, rect.right - rect.left, row);
        control->show();
        controls_.emplace_back(control);
        rect.top += row;
    }
    return true;
}

bool ppc_checkbox_item_t::layout(ppc_rect_t& rect) {
    if (!ppc_captioned_item_t::layout(rect)) return false;
    for (auto& control : controls_) {
        if (!control) return false;
        control->move(rect.left, rect.top);
        rect.top += control->height();
    }
    return true;
}

bool ppc_checkbox_item_t::commit(std::u16string&) {
    for (std::size_t i = 0; i < boxes_.size() && i < controls_.size(); ++i) {
        bool ticked = controls_[i] ? controls_[i]->isChecked() : boxes_[i].ticked;
        if (!store(ticked ? u"true" : u"false", boxes_[i].text)) return false;
    }
    return true;
}

item_automation_t ppc_checkbox_item_t::automation() const {
    item_automation_t item = ppc_captioned_item_t::automation();
    item.kind = item_automation_t::kind_t::check_boxes;
    for (const auto& control : controls_)
        if (control) {
            item.entries << control->text();
            item.buttons.push_back(control);
        }
    return item;
}
