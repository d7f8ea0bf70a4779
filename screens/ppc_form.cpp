#include "screens/ppc_form.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QWindow>
#include <stdexcept>

#include "core/text_error.h"
#include "resources/texts.h"
#include "screens/device_keys.h"
#include "screens/message_box.h"
#include "screens/popup_placement.h"
#include "screens/ppc_button.h"
#include "screens/select_windows.h"

namespace {

// The layout area reaches far below any screen; only its width and top matter.
constexpr int area_bottom = 2048;
// The scroll bar is a percentage: one arrow click moves 8 of 100.
constexpr int scroll_line = 8;

int ceil_div(int a, int b) {
    return (a + b - 1) / b;
}

QString key_name(int key) {
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

}  // namespace

soft_key_t::soft_key_t(const QString& caption, const QString& hint, Qt::Alignment edge, QWidget* parent)
    : QPushButton(caption, parent), hint_(hint), edge_(edge) {}

QFont soft_key_t::hint_font() const {
    QFont small = font();
    if (small.pointSizeF() > 0) {
        small.setPointSizeF(small.pointSizeF() * 3 / 4);
    } else {
        small.setPixelSize(std::max(6, small.pixelSize() * 3 / 4));
    }
    return small;
}

QSize soft_key_t::sizeHint() const {
    // Room for the hint on both sides, so that the caption stays centred clear of it.
    QSize size = QPushButton::sizeHint();
    size.rwidth() += 2 * (QFontMetrics(hint_font()).horizontalAdvance(hint_) + 4);
    return size;
}

void soft_key_t::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setFont(hint_font());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(rect().adjusted(6, 0, -6, 0), static_cast<int>(edge_ | Qt::AlignVCenter), hint_);
}

ppc_form_t::ppc_form_t(const ppc_device_t& device, QWidget* main_window, std::u16string title)
    : QDialog(nullptr), device_(device), main_window_(main_window), title_(std::move(title)) {
    setWindowTitle(QString::fromUtf16(texts::app_name));
    setFixedSize(device_.screen.width, device_.screen.height);
    keep_popups_on_screen();

    soft_key_bar_ = new QWidget(this);
    auto* bar_layout = new QHBoxLayout(soft_key_bar_);
    bar_layout->setContentsMargins(2, 2, 2, 2);
    bar_layout->setSpacing(2);
    left_key_ = new soft_key_t(QString::fromUtf16(texts::soft_key_options), key_name(left_soft_key_shortcut),
                               Qt::AlignLeft, soft_key_bar_);
    right_key_ = new soft_key_t(QString::fromUtf16(texts::soft_key_back), key_name(right_soft_key_shortcut),
                                Qt::AlignRight, soft_key_bar_);
    for (soft_key_t* key : {left_key_, right_key_}) {
        key->setFocusPolicy(Qt::NoFocus);
        key->setAutoDefault(false);
        // Each key keeps its half of the bar, also while the other one is hidden.
        QSizePolicy policy = key->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        key->setSizePolicy(policy);
        bar_layout->addWidget(key, 1);
    }
    int bar_height = soft_key_bar_->sizeHint().height();
    soft_key_bar_->setGeometry(0, height() - bar_height, width(), bar_height);

    page_ = new QWidget(this);
    page_->setGeometry(0, 0, width(), height() - bar_height);
    scroll_bar_ = new QScrollBar(Qt::Vertical, this);
    int bar_width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll_bar_->setGeometry(width() - bar_width, 0, bar_width, page_->height());
    scroll_bar_->setRange(0, 100);
    scroll_bar_->setSingleStep(scroll_line);
    scroll_bar_->setFocusPolicy(Qt::NoFocus);
    scroll_bar_->installEventFilter(this);  // its wheel scrolls by the form's step
    scroll_bar_->hide();
    reset_area();

    options_menu_ = new QMenu(this);
    connect(options_menu_, &QMenu::triggered, this,
            [this](QAction* action) { run_guarded([&] { command(action->data().toInt()); }); });
    connect(left_key_, &QPushButton::clicked, this, [this] { open_options(); });
    connect(right_key_, &QPushButton::clicked, this, [this] { command(cancel_command); });
    connect(scroll_bar_, &QScrollBar::valueChanged, this,
            [this](int position) { run_guarded([&] { relayout(position * overflow() / 100); }); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (created_ && now && page_->isAncestorOf(now)) run_guarded([&] { ensure_visible(now); });
    });
}

ppc_form_t::~ppc_form_t() {
    // The items delete their controls while the page still exists.
    items_.clear();
    owned_items_.clear();
}

void ppc_form_t::reset_area() {
    int bar_width = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    area_ = ppc_rect_t{4, 4, device_.screen.width - bar_width - 4, area_bottom};
}

void ppc_form_t::show() {
    if (items_.empty()) {
        // Nothing to fill in: the form does at once what its confirming button would do.
        if (default_button_) default_button_->press();
        return;
    }
    failure_ = nullptr;
    ended_by_program_ = false;
    shown_ = true;
    try {
        initialise();
    } catch (...) {
        shown_ = false;
        throw;
    }
    place_over_main_window();
    exec();
    shown_ = false;
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void ppc_form_t::place_over_main_window() {
    if (!main_window_) return;
    move(main_window_->mapToGlobal(QPoint(0, 0)));
    // Kept above the main window by the window system, as a child dialog would be, without being its child.
    QWindow* over = main_window_->window()->windowHandle();
    if (!over) return;
    winId();
    if (QWindow* own = windowHandle()) own->setTransientParent(over);
}

void ppc_form_t::initialise() {
    created_ = false;
    {
        const QSignalBlocker quiet(scroll_bar_);
        scroll_bar_->setValue(0);
    }
    ppc_rect_t rect = area_;
    for (ppc_item_t* item : items_) {
        if (!item->create(rect)) throw text_error_t(texts::control_not_created);
        rect.top += item_gap;
    }
    content_ = ppc_rect_t{0, 0, area_.right - area_.left, rect.top - area_.top};
    build_soft_keys();
    // Up and Down step between the controls in soft-key mode, as on a keypad phone; the wheel scrolls the form.
    for (QWidget* control : page_->findChildren<QWidget*>()) control->installEventFilter(this);
    created_ = true;
    update_scroll();
}

void ppc_form_t::build_soft_keys() {
    options_menu_->clear();
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        QAction* entry = options_menu_->addAction(QString::fromStdU16String(buttons_[i]->caption()));
        entry->setData(first_button_command + static_cast<int>(i));
        // Only so many commands reach the form: an entry past them shows as unavailable instead of doing nothing.
        entry->setEnabled(i < max_buttons);
    }
    left_key_->setVisible(!buttons_.empty());
    // In touch-screen mode "Опции" is a menu button; in soft-key mode the menu pops up over the form.
    left_key_->setMenu(!soft_keys() && !buttons_.empty() ? options_menu_ : nullptr);
}

void ppc_form_t::close() {
    if (!shown_) return;
    // Ending from code keeps what is on the screen: every item stores its value, whatever it says.
    std::u16string scratch;
    for (ppc_item_t* item : items_) item->commit(scratch);
    ended_by_program_ = true;
    end_dialog();
}

void ppc_form_t::end_dialog() {
    shown_ = false;
    if (isVisible()) done(QDialog::Rejected);
}

void ppc_form_t::reject() {
    end_dialog();
}

void ppc_form_t::add_button(button_t* button) {
    auto* b = dynamic_cast<ppc_button_t*>(button);
    if (!b) throw std::logic_error("a form takes only buttons made by its display");
    if (b->kind() == button_t::back) {
        back_button_ = b;
        return;
    }
    buttons_.push_back(b);
    if (!default_button_ && b->kind() == button_t::confirming) default_button_ = b;
}

void ppc_form_t::add_item(std::unique_ptr<item_t> item) {
    auto* platform_part = dynamic_cast<ppc_item_t*>(item.get());
    if (!platform_part) throw std::logic_error("a form takes only items made by its display");
    items_.push_back(platform_part);
    owned_items_.push_back(std::move(item));
}

void ppc_form_t::clear() {
    items_.clear();
    owned_items_.clear();
    buttons_.clear();
    reset_area();
    default_button_ = nullptr;
    back_button_ = nullptr;
    shown_ = false;
    created_ = false;
}

void ppc_form_t::refresh() {
    if (!created_) return;
    relayout(0);
    update_scroll();
    update();
}

void ppc_form_t::command(int id) {
    if (id == options_command || (id == ok_command && soft_keys())) {
        open_options();
    } else if (id == cancel_command) {
        end_dialog();
    } else if (id >= first_button_command && id < first_button_command + max_buttons) {
        press_button(static_cast<std::size_t>(id - first_button_command));
    }
}

void ppc_form_t::press_button(std::size_t index) {
    if (index >= buttons_.size()) return;
    ppc_button_t* button = buttons_[index];
    run_guarded([&] {
        if (button->kind() == button_t::confirming) {
            std::u16string message;
            for (ppc_item_t* item : items_) {
                if (item->commit(message)) continue;
                if (message.empty()) message = texts::item_error;
                message_box_t::show(this, message_box_t::icon_t::error, QString::fromStdU16String(message));
                return;
            }
        }
        button->press();
    });
}

void ppc_form_t::run_guarded(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        if (!shown_ || !isVisible()) throw;
        // An error may not cross the event loop: it ends the form and leaves show() instead.
        if (!failure_) failure_ = std::current_exception();
        end_dialog();
    }
}

std::vector<QWidget*> ppc_form_t::focus_controls() const {
    std::vector<QWidget*> controls;
    for (QWidget* child : page_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden() && (child->focusPolicy() & Qt::TabFocus)) controls.push_back(child);
    return controls;
}

void ppc_form_t::keep_focus_through(const std::function<void()>& action) {
    refocus_ = -1;
    if (QWidget* focused = focusWidget()) {
        const std::vector<QWidget*> controls = focus_controls();
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i] == focused || controls[i]->isAncestorOf(focused)) refocus_ = static_cast<int>(i);
    }
    run_guarded(action);
    // Still open: the form was not built again, and its focus is where it was.
    if (shown_) refocus_ = -1;
}

void ppc_form_t::open_options() {
    if (buttons_.empty()) return;
    QSize size = options_menu_->sizeHint();
    // Centred on the form, its bottom on the form's bottom edge, over the soft keys.
    QPoint at(width() / 2 - size.width() / 2, height() - size.height());
    options_menu_->exec(mapToGlobal(at));
}

int ppc_form_t::client_height() const {
    return page_->height();
}

int ppc_form_t::overflow() const {
    return std::max(0, content_.bottom - client_height() + item_gap);
}

int ppc_form_t::scroll_position() const {
    return scroll_bar_->value();
}

void ppc_form_t::set_scroll_position(int position) {
    const QSignalBlocker quiet(scroll_bar_);
    scroll_bar_->setValue(std::clamp(position, 0, 100));
}

void ppc_form_t::relayout(int offset) {
    ppc_rect_t rect{area_.left, area_.top - offset, area_.right, area_.bottom - offset};
    for (ppc_item_t* item : items_) {
        if (!item->layout(rect)) throw text_error_t(texts::control_not_moved);
        rect.top += item_gap;
    }
    content_ = ppc_rect_t{0, 0, area_.right - area_.left, rect.top - area_.top + offset};
}

void ppc_form_t::update_scroll() {
    bool overflowing = client_height() < content_.bottom + item_gap;
    if (overflowing || !scroll_bar_->isHidden()) {
        if (!overflowing) set_scroll_position(0);
        relayout(scroll_position() * overflow() / 100);
    }
    scroll_bar_->setVisible(overflowing);
    // A page of the scroll bar is what the page shows, in percent of what lies beyond it.
    if (overflowing) scroll_bar_->setPageStep(std::clamp(client_height() * 100 / std::max(1, overflow()), 1, 100));
}

void ppc_form_t::scroll_into_view(int y) {
    if (!created_ || y <= client_height() || overflow() == 0) return;
    int raise = ceil_div((y - client_height()) * 100, overflow());
    set_scroll_position(scroll_position() + raise);
    relayout(scroll_position() * overflow() / 100);
    update_scroll();
}

void ppc_form_t::ensure_visible(QWidget* control) {
    QRect place(control->mapTo(page_, QPoint(0, 0)), control->size());
    if (place.top() < 0 && overflow() > 0) {
        // Stepping back up to a control above the page scrolls back so far that the caption line above the
        // control shows too.
        int above = fontMetrics().height() + 2 * item_gap;
        set_scroll_position(scroll_position() - ceil_div((above - place.top()) * 100, overflow()));
        relayout(scroll_position() * overflow() / 100);
        update_scroll();
        return;
    }
    scroll_into_view(place.bottom() + 1 + 10);
}

void ppc_form_t::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The controls take their final fonts and margins only once shown; measure them again before the first
    // paint so that nothing is cut off.
    if (created_) run_guarded([&] { refresh(); });
    if (refocus_ >= 0) {
        const std::vector<QWidget*> controls = focus_controls();
        if (refocus_ < static_cast<int>(controls.size())) controls[refocus_]->setFocus(Qt::OtherFocusReason);
        refocus_ = -1;
    }
}

void ppc_form_t::keyPressEvent(QKeyEvent* event) {
    switch (device_key(event->key())) {
        case device_key_t::left_soft_key:
            open_options();
            return;
        case device_key_t::back:
            // A held Back key only erases; leaving the form takes a fresh press.
            if (event->isAutoRepeat()) return;
            command(cancel_command);
            return;
        case device_key_t::right_soft_key:
            command(cancel_command);
            return;
        case device_key_t::action:
            command(ok_command);
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

bool ppc_form_t::eventFilter(QObject* watched, QEvent* event) {
    // The list a drop-down opens is a window of its own: its keys and wheel are its own.
    if (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() != this)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::Wheel) {
        // The wheel scrolls the form wherever the pointer is, by the form's own step; only a drop-down the
        // user has gone to takes it to change the pick.
        auto* combo = qobject_cast<popup_combo_t*>(watched);
        if (!combo || !combo->takes_wheel()) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
    }
    if (soft_keys() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
            focusNextPrevChild(key->key() == Qt::Key_Down);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int ppc_form_t::wheel_step() const {
    return std::min(QApplication::wheelScrollLines() * fontMetrics().height(), client_height());
}

void ppc_form_t::wheelEvent(QWheelEvent* event) {
    if (!scroll_bar_->isVisible() || overflow() == 0) {
        QDialog::wheelEvent(event);
        return;
    }
    event->accept();
    wheel_rest_ += event->angleDelta().y();
    const int notches = wheel_rest_ / QWheelEvent::DefaultDeltasPerStep;
    wheel_rest_ %= QWheelEvent::DefaultDeltasPerStep;
    if (notches == 0) return;
    // The position is a percentage of the overflow; one notch is at least one step of it.
    const int step = std::max(1, wheel_step() * 100 / overflow());
    scroll_bar_->setValue(scroll_position() - notches * step);
}

std::vector<item_automation_t> ppc_form_t::automation() const {
    std::vector<item_automation_t> out;
    out.reserve(items_.size());
    for (const ppc_item_t* item : items_) out.push_back(item->automation());
    return out;
}
