#include "app/kestrelpod_view.h"

#include <QPainter>

CKestrelpodView::CKestrelpodView(QWidget* parent) : QWidget(parent) {}

void CKestrelpodView::set_picture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

QPoint CKestrelpodView::picture_origin() const {
    const QRect client = rect();
    // Integer division towards zero, as the device's drawing does it: a picture one pixel wider than the view is cut
    // on the right.
    return QPoint(client.left() + (client.width() - picture_.width()) / 2,
                  client.top() + (client.height() - picture_.height()) / 2);
}

void CKestrelpodView::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(picture_origin(), picture_);
}
