#include "screens/ppc_input_item.h"

#include <QKeyEvent>
#include <chrono>

#include "screens/ppc_form.h"
#include "script/tag_interfaces.h"

namespace {

// The digits-only style takes the ten ASCII digits and nothing else, not other scripts' digits.
bool is_digit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Digits, with `sign` allowed only as the first character.
bool signed_digits(const QString& text, QChar sign) {
    for (int i = 0; i < text.size(); ++i)
        if (!is_digit(text[i]) && !(i == 0 && text[i] == sign)) return false;
    return true;
}

// Digits with at most one point.
bool digits_and_point(const QString& text) {
    int points = 0;
    for (QChar c : text) {
        if (c == u'.')
            ++points;
        else if (!is_digit(c))
            return false;
    }
    return points <= 1;
}

}  // namespace

bool input_rules_t::digits_only() const {
    return type == input_item_t::numeric || type == input_item_t::phone || type == input_item_t::decimal ||
           type == input_item_t::currency;
}

std::optional<edit_state_t> input_rules_t::type_character(const edit_state_t& before, QChar c) const {
    const QString& t = before.text;
    const int k = before.caret;
    const int length = static_cast<int>(t.size());
    // The box never holds more than its limit: an insertion that would pass it is left out rather than
    // cutting characters off the end.
    auto put = [&](int at, QChar s) -> std::optional<edit_state_t> {
        if (limited() && length + 1 > max_length) return std::nullopt;
        return edit_state_t{QString(t).insert(at, s), at + 1};
    };
    switch (type) {
        case input_item_t::numeric:
            if (c == u'-') {
                if (!t.contains(u'-') && length < max_length && k == 0) return put(0, c);
                return std::nullopt;
            }
            break;
        case input_item_t::phone:
            if (c == u'+') {
                if (k == 0 && !t.startsWith(u'+') && length < max_length) return put(0, c);
                return std::nullopt;
            }
            break;
        case input_item_t::decimal:
            if (c == u'.') return t.contains(u'.') ? std::nullopt : put(k, c);
            break;
        case input_item_t::currency: {
            if (c == u'.') {
                if (!t.contains(u'.') && length < max_length && length - k < 3) return put(k, c);
                return std::nullopt;
            }
            // Two digits after the point; before it, room is kept for the point and two digits.
            const int dot = static_cast<int>(t.indexOf(u'.'));
            const int whole = dot >= 0 ? dot : length;
            if (dot >= 0 && k > dot ? length - dot - 1 >= 2 : whole >= max_length - 3) return std::nullopt;
            break;
        }
        default:
            break;
    }
    if (digits_only() && !is_digit(c)) return std::nullopt;
    return put(k, c);
}

bool input_rules_t::allows(const QString& text) const {
    if (limited() && text.size() > max_length) return false;
    switch (type) {
        case input_item_t::numeric:
            return signed_digits(text, u'-');
        case input_item_t::phone:
            return signed_digits(text, u'+');
        case input_item_t::decimal:
            return digits_and_point(text);
        case input_item_t::currency: {
            if (!digits_and_point(text)) return false;
            const qsizetype dot = text.indexOf(u'.');
            const qsizetype whole = dot >= 0 ? dot : text.size();
            return whole <= std::max(0, max_length - 3) && (dot < 0 || text.size() - dot - 1 <= 2);
        }
        default:
            return true;
    }
}

QValidator::State input_validator_t::validate(QString& input, int& pos) const {
    if (deleting_) return Acceptable;
    if (rules_.digits_only()) {
        // "+7 900 123 45 67" or "1 500.50" as people write them.
        for (int i = static_cast<int>(input.size()) - 1; i >= 0; --i)
            if (input[i].isSpace()) {
                input.remove(i, 1);
                if (i < pos) --pos;
            }
    }
    return rules_.allows(input) ? Acceptable : Invalid;
}

std::function<std::int64_t()> ppc_edit_t::clock = [] {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
};

ppc_edit_t::ppc_edit_t(QWidget* parent, int type, bool soft_keys, int max_length)
    : QLineEdit(parent), rules_{type, max_length}, soft_keys_(soft_keys) {
    // The validator keeps the length limit too, so that a pasted text too long is refused instead of cut.
    validator_ = new input_validator_t(this, rules_);
    setValidator(validator_);
}

void ppc_edit_t::type_character(QChar c) {
    // A typed character replaces the selection: the rules apply to the text without it.
    edit_state_t before{text(), cursorPosition()};
    if (hasSelectedText()) {
        before.caret = selectionStart();
        before.text.remove(before.caret, selectionLength());
    }
    if (auto after = rules_.type_character(before, c)) apply(*after);
}

void ppc_edit_t::apply(const edit_state_t& after) {
    if (!rules_.allows(after.text)) return;
    // Through the box's own editing, so that undo and the change signals work as for any typing.
    selectAll();
    insert(after.text);
    setCursorPosition(after.caret);
}

void ppc_edit_t::deleting(const std::function<void()>& act) {
    validator_->set_deleting(true);
    act();
    validator_->set_deleting(false);
}

void ppc_edit_t::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // The Back key deletes what is before the caret; with nothing there it is the Back key of the form, but
        // only when pressed afresh: a held key that has emptied the field stops there.
        if (!hasSelectedText() && cursorPosition() == 0) {
            if (event->isAutoRepeat()) return;
            event->ignore();
            return;
        }
        deleting([this] { backspace(); });
        return;
    }
    if (soft_keys_ && rules_.type == input_item_t::phone && event->key() == Qt::Key_0) {
        // On a keypad the 0 key is "0" when tapped and "+" at the start when held.
        if (!event->isAutoRepeat()) {
            zero_key_tick_ = clock();
        } else if (clock() - zero_key_tick_ > zero_hold_ms) {
            type_character(u'+');
        }
        return;
    }
    if (soft_keys_ && (rules_.type == input_item_t::decimal || rules_.type == input_item_t::currency) &&
        event->key() == Qt::Key_Asterisk) {
        type_character(u'.');
        return;
    }
    const bool deletion =
        event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine) || event->matches(QKeySequence::DeleteCompleteLine);
    if (deletion) {
        deleting([&] { QLineEdit::keyPressEvent(event); });
        return;
    }
    const QString typed = event->text();
    const bool character = typed.size() == 1 && typed[0].isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (character) {
        type_character(typed[0]);
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void ppc_edit_t::keyReleaseEvent(QKeyEvent* event) {
    if (soft_keys_ && rules_.type == input_item_t::phone && event->key() == Qt::Key_0) {
        if (!event->isAutoRepeat() && clock() - zero_key_tick_ <= zero_hold_ms) type_character(u'0');
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
    auto* edit = new ppc_edit_t(page(), type_, soft_keys(), max_length_);
    QString value = QString::fromStdU16String(value_);
    if (edit->rules().limited()) value.truncate(max_length_);
    edit->setText(value);
    if (password_) edit->setEchoMode(QLineEdit::Password);
    // A screen reader names the field by the caption above it.
    name_by_caption(edit);
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

item_automation_t ppc_input_item_t::automation() const {
    item_automation_t item = ppc_captioned_item_t::automation();
    item.kind = item_automation_t::kind_t::input;
    item.control = control_;
    if (control_) {
        item.secret = control_->echoMode() != QLineEdit::Normal;
        item.shown = item.secret ? QString(control_->text().size(), u'*') : control_->text();
    }
    return item;
}
