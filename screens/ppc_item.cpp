#include "screens/ppc_item.h"

#include <QFontMetrics>
#include <QLabel>

#include "screens/ppc_form.h"
#include "script/tag_interfaces.h"

QWidget* ppc_item_t::page() const {
    return form_ ? form_->page() : nullptr;
}

bool ppc_item_t::soft_keys() const {
    return form_ && form_->soft_keys();
}

int ppc_item_t::line_height() const {
    return QFontMetrics(form_->font()).height();
}

int ppc_item_t::label_height(QLabel* label, int width) const {
    // The label measures with the very layout it draws with, so the measured text is never cut off.
    return std::max(label->heightForWidth(width), line_height());
}

QLabel* ppc_item_t::new_label(const std::u16string& text) const {
    auto* label = new QLabel(QString::fromStdU16String(text), page());
    label->setWordWrap(true);
    label->setContentsMargins(2, 0, 2, 0);
    label->setTextFormat(Qt::PlainText);
    return label;
}

ppc_captioned_item_t::~ppc_captioned_item_t() {
    delete caption_control_.data();
}

bool ppc_captioned_item_t::create(ppc_rect_t& rect) {
    if (!page()) return false;
    auto* label = new_label(caption_);
    replace(caption_control_, label);
    label->show();
    return ppc_captioned_item_t::layout(rect);
}

bool ppc_captioned_item_t::layout(ppc_rect_t& rect) {
    if (!caption_control_) return false;
    int width = rect.right - rect.left;
    int height = label_height(caption_control_, width);
    caption_control_->setGeometry(rect.left, rect.top, width, height);
    rect.top += height;
    return true;
}

item_automation_t ppc_captioned_item_t::automation() const {
    item_automation_t item;
    item.caption = QString::fromStdU16String(caption_);
    return item;
}

void ppc_captioned_item_t::name_by_caption(QWidget* control) const {
    if (!control) return;
    control->setAccessibleName(QString::fromStdU16String(caption_));
    if (caption_control_) caption_control_->setBuddy(control);
}

void ppc_paramed_item_t::bind(param_t* param, const std::u16string& key) {
    for (auto& [k, list] : params_)
        if (k == key) {
            list.push_back(param);
            return;
        }
    params_.emplace_back(key, std::vector<param_t*>{param});
}

bool ppc_paramed_item_t::store(const std::u16string& value, const std::u16string& key) {
    for (auto& [k, list] : params_)
        if (k == key) {
            for (param_t* p : list)
                if (!p->apply_text(value)) return false;
            return true;
        }
    return true;
}
