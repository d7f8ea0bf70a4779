#include "screens/ppc_string_item.h"

#include <QKeyEvent>
#include <QPainter>

#include "screens/ppc_form.h"
#include "script/tag_interfaces.h"

void ppc_text_label_t::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (rect().contains(event->position().toPoint())) emit activated();
}

void ppc_text_label_t::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter && event->key() != Qt::Key_Select) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (!key_down_) {
        key_down_ = true;
        emit activated();
    }
}

void ppc_text_label_t::keyReleaseEvent(QKeyEvent* event) {
    bool action_key = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Select;
    if (action_key && !event->isAutoRepeat()) key_down_ = false;
    if (!action_key) QLabel::keyReleaseEvent(event);
}

void ppc_text_label_t::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

ppc_string_item_t::ppc_string_item_t(ppc_form_t* form, const std::u16string& text)
    : ppc_item_t(form), full_text_(u"[-]" + text) {}

ppc_string_item_t::~ppc_string_item_t() {
    delete control_.data();
}

std::u16string ppc_string_item_t::fold_text(const std::u16string& full, std::size_t n) {
    std::u16string folded = full.substr(0, n < 3 ? 0 : n - 3) + u"...";
    for (std::size_t at = folded.find(u"[-]"); at != std::u16string::npos; at = folded.find(u"[-]", at + 3))
        folded.replace(at, 3, u"[+]");
    return folded;
}

bool ppc_string_item_t::create(ppc_rect_t& rect) {
    if (!page()) return false;
    auto* label = new ppc_text_label_t(page());
    label->setWordWrap(true);
    label->setContentsMargins(2, 2, 2, 2);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::StrongFocus);
    label->setCursor(Qt::PointingHandCursor);
    QObject::connect(label, &ppc_text_label_t::activated, label, [this] { clicked(); });
    replace(control_, label);

    // The folded text keeps what fits on one line, so that a folded item is one line high.
    QFontMetrics metrics(label->font());
    int width = rect.right - rect.left - 4;
    std::size_t n = std::max(3, width / std::max(1, metrics.averageCharWidth()));
    folded_text_ = fold_text(full_text_, n);
    while (n > 3 && metrics.horizontalAdvance(QString::fromStdU16String(folded_text_)) > width)
        folded_text_ = fold_text(full_text_, --n);

    label->show();
    return ppc_string_item_t::layout(rect);
}

bool ppc_string_item_t::layout(ppc_rect_t& rect) {
    if (!control_) return false;
    shown_text_ = expanded_ ? full_text_ : folded_text_;
    control_->setText(QString::fromStdU16String(shown_text_));
    int width = rect.right - rect.left;
    int height = std::max(control_->heightForWidth(width), line_height());
    if (soft_keys()) height += 4;
    control_->setGeometry(rect.left, rect.top, width, height);
    rect.top += height;
    return true;
}

item_automation_t ppc_string_item_t::automation() const {
    item_automation_t item;
    item.kind = item_automation_t::kind_t::text;
    item.shown = QString::fromStdU16String(shown_text_);
    item.control = control_;
    return item;
}

void ppc_string_item_t::clicked() {
    if (click_handler_) form()->run_guarded([&] { click_handler_->execute(0, 1); });
}
