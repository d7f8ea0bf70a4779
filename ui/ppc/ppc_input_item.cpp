#include "ui/ppc/ppc_input_item.h"

#include <QKeyEvent>
#include <chrono>

#include "script/tag_interfaces.h"
#include "ui/ppc/ppc_form.h"

std::function<std::int64_t()> ppc_edit_t::clock = [] {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
};

ppc_edit_t::ppc_edit_t(QWidget* parent, int type, bool soft_keys)
    : QLineEdit(parent), type_(type), soft_keys_(soft_keys) {}

bool ppc_edit_t::digits_only() const {
    return type_ == input_item_t::numeric || type_ == input_item_t::phone || type_ == input_item_t::decimal ||
           type_ == input_item_t::currency;
}

void ppc_edit_t::put(int at, const QString& s) {
    // The box never holds more than its limit: an insertion that would pass it is left out rather than
    // cutting characters off the end.
    if (text().size() + s.size() > maxLength()) return;
    setText(text().insert(at, s));
    setCursorPosition(at + s.size());
}

bool ppc_edit_t::type_character(QChar c) {
    const QString t = text();
    const int k = cursorPosition();
    switch (type_) {
        case input_item_t::numeric:
            if (c == u'-' && !t.contains(u'-') && t.size() < maxLength() && k == 0) put(0, QStringLiteral("-"));
            break;
        case input_item_t::phone:
            if (c == u'+' && k == 0 && !t.startsWith(u'+') && t.size() < maxLength()) put(0, QStringLiteral("+"));
            break;
        case input_item_t::decimal:
            if (c == u'.' && !t.contains(u'.')) put(k, QStringLiteral("."));
            break;
        case input_item_t::currency: {
            if (c == u'.') {
                if (!t.contains(u'.') && t.size() < maxLength() && t.size() - k < 3) put(k, QStringLiteral("."));
                return false;
            }
            // Two digits after the point; before it, room is kept for the point and two digits.
            const int dot = static_cast<int>(t.indexOf(u'.'));
            const int whole = dot >= 0 ? dot : static_cast<int>(t.size());
            if (dot >= 0 && k > dot ? t.size() - dot - 1 >= 2 : whole >= maxLength() - 3) return false;
            break;
        }
        default:
            break;
    }
    return !digits_only() || c.isDigit();
}

void ppc_edit_t::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (text().isEmpty()) {
            event->ignore();
            return;
        }
        backspace();
        return;
    }
    if (soft_keys_ && type_ == input_item_t::phone && event->key() == Qt::Key_0) {
        // On a keypad the 0 key is "0" when tapped and "+" at the start when held.
        if (!event->isAutoRepeat()) {
            zero_key_tick_ = clock();
        } else if (clock() - zero_key_tick_ > zero_hold_ms) {
            type_character(u'+');
        }
        return;
    }
    if (soft_keys_ && (type_ == input_item_t::decimal || type_ == input_item_t::currency) &&
        event->key() == Qt::Key_Asterisk) {
        type_character(u'.');
        return;
    }
    const QString typed = event->text();
    bool character = typed.size() == 1 && typed[0].isPrint() && !(event->modifiers() & Qt::ControlModifier);
    if (character && !type_character(typed[0])) return;
    QLineEdit::keyPressEvent(event);
}

void ppc_edit_t::keyReleaseEvent(QKeyEvent* event) {
    if (soft_keys_ && type_ == input_item_t::phone && event->key() == Qt::Key_0) {
        if (!event->isAutoRepeat() && clock() - zero_key_tick_ <= zero_hold_ms)
            put(cursorPosition(), QStringLiteral("0"));
        return;
    }
    QLineEdit::keyReleaseEvent(event);
}

ppc_input_item_t::ppc_input_item_t(ppc_form_t* form, const std::u16string& caption)
    : ppc_paramed_item_t(form, caption) {}

ppc_input_item_t::~ppc_input_item_t() {
    delete control_.data();
}

void ppc_input_item_t::set_type(int type, int flags) {
    type_ = type;
    password_ = (flags & 1) != 0;
}

void ppc_input_item_t::set_param(param_t* param) {
    value_ = param->value_text();
    bind_default(param);
}

bool ppc_input_item_t::create(ppc_rect_t& rect) {
    if (!ppc_captioned_item_t::create(rect)) return false;
    auto* edit = new ppc_edit_t(page(), type_, soft_keys());
    edit->setMaxLength(std::max(0, max_length_));
    edit->setText(QString::fromStdU16String(value_));
    if (password_) edit->setEchoMode(QLineEdit::Password);
    replace(control_, edit);
    // One and a half lines, as the device draws it, but never less than the box needs for its frame.
    int h = line_height();
    int height = std::max(h + h / 2, edit->sizeHint().height());
    edit->setGeometry(rect.left, rect.top, rect.right - rect.left, height);
    edit->show();
    rect.top += height;
    return true;
}

bool ppc_input_item_t::layout(ppc_rect_t& rect) {
    if (!control_ || !ppc_captioned_item_t::layout(rect)) return false;
    control_->move(rect.left, rect.top);
    rect.top += control_->height();
    return true;
}

bool ppc_input_item_t::commit(std::u16string& message) {
    if (control_) value_ = control_->text().toStdU16String();
    if (static_cast<int>(value_.size()) < min_length_) {
        message = error_text_;
        return false;
    }
    if (type_ == input_item_t::currency) {
        // An amount always has a whole part and never ends in a bare point.
        if (value_ == u".") {
            message = error_text_;
            return false;
        }
        if (!value_.empty() && value_.front() == u'.') value_ = u"0" + value_;
        if (!value_.empty() && value_.back() == u'.') value_.pop_back();
    }
    if (!store_default(value_)) {
        message = error_text_;
        return false;
    }
    return true;
}
