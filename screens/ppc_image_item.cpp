#include "screens/ppc_image_item.h"

ppc_image_item_t::~ppc_image_item_t() {
    delete control_.data();
}

bool ppc_image_item_t::create(ppc_rect_t& rect) {
    if (!tried_) {
        tried_ = true;
        loaded_ = bitmap_.load(QString::fromStdU16String(path_), "BMP");
    }
    if (!loaded_) return true;
    if (!page()) return false;
    QPixmap shown = bitmap_;
    int width = rect.right - rect.left;
    // A picture wider than the screen is shrunk to fit instead of being cut off at the right.
    if (shown.width() > width) shown = bitmap_.scaledToWidth(width, Qt::SmoothTransformation);
    auto* label = new QLabel(page());
    label->setPixmap(shown);
    label->setGeometry(rect.left + (width - shown.width()) / 2, rect.top, shown.width(), shown.height());
    replace(control_, label);
    label->show();
    rect.top += shown.height();
    return true;
}

bool ppc_image_item_t::layout(ppc_rect_t& rect) {
    if (!loaded_) return true;
    if (!control_) return false;
    control_->move(control_->x(), rect.top);
    rect.top += control_->height();
    return true;
}
