#include "screens/ppc_alert.h"

#include "screens/message_box.h"

ppc_alert_t::ppc_alert_t(QWidget* parent, std::u16string caption, std::u16string text, int kind)
    : parent_(parent), kind_(kind), text_(std::move(text)), caption_(std::move(caption)) {}

void ppc_alert_t::show() {
    auto icon = message_box_t::icon_t::information;
    if (kind_ == error) icon = message_box_t::icon_t::error;
    if (kind_ == question) icon = message_box_t::icon_t::question;
    if (kind_ == risky_question) icon = message_box_t::icon_t::risky_question;
    auto pressed = message_box_t::show(parent_, icon, QString::fromStdU16String(text_));
    if (pressed == QMessageBox::Ok || pressed == QMessageBox::Yes) answer_ = true;
    if (pressed == QMessageBox::No) answer_ = false;
}
