#include "screens/select_windows.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStylePainter>
#include <QToolButton>

#include "screens/ppc_select_item.h"
#include "screens/wrapped_button.h"

namespace {

int text_line(QWidget* parent) {
    return QFontMetrics(parent->font()).height();
}

}  // namespace

popup_combo_t::popup_combo_t(QWidget* parent, bool soft_keys, action_option_t is_action)
    : QComboBox(parent), soft_keys_(soft_keys), is_action_(std::move(is_action)) {
    setFocusPolicy(Qt::StrongFocus);
    view()->setTextElideMode(Qt::ElideMiddle);
}

int popup_combo_t::text_width() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this).width();
}

QString popup_combo_t::shown_text() const {
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, text_width());
}

void popup_combo_t::paintEvent(QPaintEvent*) {
    // As the box paints itself, with the text shortened in the middle instead of at its end.
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shown_text();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

namespace {

// The focus leaves for the box's own pop-up list (which also moves it around inside itself) or another
// window for a while and comes back: the user is still at the box then.
bool passing(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

}  // namespace

void popup_combo_t::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    if (!passing(reason))
        wheel_picks_ =
            reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
    QComboBox::focusInEvent(event);
}

void popup_combo_t::focusOutEvent(QFocusEvent* event) {
    if (!passing(event->reason()) && !view()->isVisible()) wheel_picks_ = false;
    QComboBox::focusOutEvent(event);
}

void popup_combo_t::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            // On a keypad Up and Down go to the next control (the form sees them first); elsewhere they open.
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Select:
        case Qt::Key_Space:
        case Qt::Key_F4:
            if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) break;
            showPopup();
            return;
        default:
            break;
    }
    // Typing a letter would pick the option it starts; the open list takes letters instead.
    if (!event->text().isEmpty() && event->text()[0].isPrint()) return;
    QComboBox::keyPressEvent(event);
}

void popup_combo_t::wheelEvent(QWheelEvent* event) {
    // A turn of the wheel over the box the user went to picks the next option, but never one that does
    // something when chosen.
    const int notch = event->angleDelta().y() > 0 ? -1 : event->angleDelta().y() < 0 ? 1 : 0;
    event->accept();
    if (notch == 0) return;
    int next = currentIndex() + notch;
    while (next >= 0 && next < count() && is_action_ && is_action_(next)) next += notch;
    if (next < 0 || next >= count()) return;
    setCurrentIndex(next);
    emit activated(next);
}

popup_select_wnd_t::~popup_select_wnd_t() {
    delete combo_.data();
}

void popup_select_wnd_t::create(int left, int top, int right, int, QWidget* parent) {
    delete combo_.data();
    combo_ = new popup_combo_t(parent, owner_->keypad(), [this](int i) { return owner_->is_action(i); });
    combo_->setMaxVisibleItems(6);
    combo_->setGeometry(left, top, right - left, combo_->sizeHint().height());
    QObject::connect(combo_, &QComboBox::activated, combo_, [this](int index) { owner_->pick_changed(index); });
    combo_->show();
}

void popup_select_wnd_t::add_option(const std::u16string& text, bool selected) {
    combo_->addItem(QString::fromStdU16String(text));
    if (selected) combo_->setCurrentIndex(combo_->count() - 1);
}

void popup_select_wnd_t::move(int left, int top, int right, int bottom) {
    combo_->setGeometry(left, top, right - left, bottom - top);
}

QRect popup_select_wnd_t::get_rect() {
    return combo_->geometry();
}

void popup_select_wnd_t::set_caption(const QString& caption) {
    combo_->setAccessibleName(caption);
    combo_->setAccessibleDescription(caption);
}

spin_select_control_t::spin_select_control_t(QWidget* parent, action_option_t is_action)
    : QFrame(parent), is_action_(std::move(is_action)) {
    setFrameShape(QFrame::StyledPanel);
    setFocusPolicy(Qt::StrongFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(2);
    back_ = new QToolButton(this);
    back_->setText(QString::fromUtf16(u"◀"));
    forward_ = new QToolButton(this);
    forward_->setText(QString::fromUtf16(u"▶"));
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    // The line's width decides how much of the option shows, never the option's length.
    text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    text_->setBackgroundRole(QPalette::Highlight);
    show_focus(false);
    // Arrows wide enough to hit with a finger or a mouse.
    int side = QFontMetrics(font()).height();
    for (QToolButton* arrow : {back_, forward_}) {
        arrow->setMinimumWidth(side + side / 2);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRaise(true);
    }
    row->addWidget(back_);
    row->addWidget(text_, 1);
    row->addWidget(forward_);
    connect(back_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(forward_, &QToolButton::clicked, this, [this] { step(+1); });
}

void spin_select_control_t::set_current(int index) {
    taken_ = index;
    show_option(index);
}

void spin_select_control_t::show_option(int index) {
    current_ = index;
    text_->setText(shown_text());
    text_->setToolTip(current_text());
}

int spin_select_control_t::text_width() const {
    return std::max(1, text_->contentsRect().width());
}

QString spin_select_control_t::shown_text() const {
    return text_->fontMetrics().elidedText(current_text(), Qt::ElideMiddle, text_width());
}

void spin_select_control_t::show_focus(bool focused) {
    // Drawn like the picked row of a list that has the focus, so a keyboard user sees which line Left and
    // Right will change.
    text_->setAutoFillBackground(focused);
    text_->setForegroundRole(focused ? QPalette::HighlightedText : QPalette::WindowText);
    text_->update();
}

void spin_select_control_t::focusInEvent(QFocusEvent* event) {
    QFrame::focusInEvent(event);
    show_focus(true);
}

void spin_select_control_t::focusOutEvent(QFocusEvent* event) {
    QFrame::focusOutEvent(event);
    show_focus(false);
    // An action option only looked at is not the pick: the line shows the pick again.
    if (current_ != taken_) show_option(taken_);
}

void spin_select_control_t::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    show_option(current_);
}

void spin_select_control_t::step(int by) {
    if (options_.isEmpty()) return;
    int n = static_cast<int>(options_.size());
    const int next = ((current_ < 0 ? 0 : current_) + by + n) % n;
    show_option(next);
    if (is_action_ && is_action_(next)) return;
    taken_ = next;
    emit picked(next);
}

void spin_select_control_t::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left) return step(-1);
    if (event->key() == Qt::Key_Right) return step(+1);
    const bool enter =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Select;
    if (enter && current_ != taken_ && current_ >= 0) {
        taken_ = current_;
        emit picked(current_);
        return;
    }
    QFrame::keyPressEvent(event);
}

spin_select_wnd_t::~spin_select_wnd_t() {
    delete spin_.data();
}

void spin_select_wnd_t::create(int left, int top, int right, int, QWidget* parent) {
    delete spin_.data();
    spin_ = new spin_select_control_t(parent, [this](int i) { return owner_->is_action(i); });
    int h = text_line(parent);
    spin_->setGeometry(left, top, right - left, std::max(h + h / 3, spin_->sizeHint().height()));
    QObject::connect(spin_, &spin_select_control_t::picked, spin_, [this](int index) { owner_->pick_changed(index); });
    spin_->show();
}

void spin_select_wnd_t::add_option(const std::u16string& text, bool selected) {
    spin_->add_option(QString::fromStdU16String(text));
    if (selected) spin_->set_current(spin_->count() - 1);
}

void spin_select_wnd_t::move(int left, int top, int right, int bottom) {
    spin_->setGeometry(left, top, right - left, bottom - top);
}

QRect spin_select_wnd_t::get_rect() {
    return spin_->geometry();
}

void spin_select_wnd_t::set_caption(const QString& caption) {
    spin_->setAccessibleName(caption);
}

// Hands the keys of a radio button to its window.
class radio_keys_t : public QObject {
public:
    radio_keys_t(exclusive_select_wnd_t* window, QObject* parent) : QObject(parent), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* radio = qobject_cast<QRadioButton*>(watched);
        if (!radio || event->type() != QEvent::KeyPress) return false;
        return window_->radio_key(radio, static_cast<QKeyEvent*>(event)->key());
    }

private:
    exclusive_select_wnd_t* window_;
};

exclusive_select_wnd_t::~exclusive_select_wnd_t() {
    delete_radios();
}

void exclusive_select_wnd_t::delete_radios() {
    for (auto& radio : radios_) delete radio.data();
    radios_.clear();
    delete group_.data();
    delete keys_.data();
}

bool exclusive_select_wnd_t::radio_key(QRadioButton* radio, int key) {
    int at = -1;
    for (std::size_t i = 0; i < radios_.size(); ++i)
        if (radios_[i] == radio) at = static_cast<int>(i);
    if (at < 0) return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select) {
        if (!radio->isChecked()) radio->click();
        return true;
    }
    // The buttons stand one under another: Left and Right have nowhere to go.
    if (key == Qt::Key_Left || key == Qt::Key_Right) return true;
    if (key != Qt::Key_Up && key != Qt::Key_Down) return false;
    const int next = at + (key == Qt::Key_Down ? 1 : -1);
    // Past the first or the last button the keys are left to the button's own handling.
    if (next < 0 || next >= static_cast<int>(radios_.size())) return false;
    radios_[next]->setFocus(Qt::OtherFocusReason);
    return true;
}

void exclusive_select_wnd_t::create(int left, int top, int right, int bottom, QWidget* parent) {
    delete_radios();
    left_ = left, top_ = top, right_ = right, bottom_ = bottom;
    parent_ = parent;
    // A group of its own, so that radio buttons of two items on one form do not untick each other.
    group_ = new QButtonGroup(parent);
    keys_ = new radio_keys_t(this, parent);
    int h = text_line(parent);
    row_height_ = std::max(h + h / 3, QRadioButton(QStringLiteral("Yy")).sizeHint().height());
}

void exclusive_select_wnd_t::add_option(const std::u16string& text, bool selected) {
    auto* radio = new wrapped_button_t<QRadioButton>(QString::fromStdU16String(text), parent_);
    // A text too long for one row wraps, and its row grows to hold it.
    const int row = std::max(row_height_, radio->heightForWidth(right_ - left_));
    radio->setGeometry(left_, top_, right_ - left_, row);
    group_->addButton(radio);
    radio->installEventFilter(keys_);
    radio->setChecked(selected);
    QObject::connect(radio, &QRadioButton::clicked, radio, [this] {
        int picked = static_cast<int>(radios_.size());
        for (std::size_t i = 0; i < radios_.size(); ++i)
            if (radios_[i] && radios_[i]->isChecked()) {
                picked = static_cast<int>(i);
                break;
            }
        owner_->pick_changed(picked);
    });
    radio->show();
    top_ += row;
    radios_.emplace_back(radio);
}

void exclusive_select_wnd_t::move(int left, int top, int right, int) {
    for (auto& radio : radios_) {
        radio->setGeometry(left, top, right - left, radio->height());
        top += radio->height();
    }
}

QRect exclusive_select_wnd_t::get_rect() {
    if (radios_.empty()) return QRect();
    QRect all = radios_.front()->geometry();
    for (std::size_t i = 1; i < radios_.size(); ++i) all.setBottom(all.bottom() + radios_[i]->height());
    return all;
}

void exclusive_select_wnd_t::set_caption(const QString& caption) {
    for (auto& radio : radios_)
        if (radio) radio->setAccessibleDescription(caption);
}
