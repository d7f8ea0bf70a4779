#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "screens/ppc_device.h"
#include "screens/ppc_item.h"
#include "ui/form.h"
#include "ui/item.h"

class QMenu;
class QScrollBar;
class ppc_button_t;

// A soft key: its caption, and at its outer edge, small, the keyboard key that presses it.
class soft_key_t : public QPushButton {
public:
    soft_key_t(const QString& caption, const QString& hint, Qt::Alignment edge, QWidget* parent);
    const QString& hint() const { return hint_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont hint_font() const;

    QString hint_;
    Qt::Alignment edge_;
};

// A form as a modal dialog over the main window: the items stacked in a page from the top with 4 pixels
// after each, a scroll bar at the right, and the soft-key bar ("Опции" opening the menu of commands,
// "Назад") at the bottom. The soft keys are also F1/F2 (and Context1/Context2); Escape is the Back key.
// The tag that asked for the form owns it: the dialog is not a child of the main window, which it only
// stays over and is placed on.
class ppc_form_t : public QDialog, public form_t {
    Q_OBJECT

public:
    // Command identifiers: button i of the options menu, the "Опции" soft key, the platform's OK and cancel.
    static constexpr int first_button_command = 32871;
    static constexpr int max_buttons = 10;
    static constexpr int options_command = 151;
    static constexpr int ok_command = 1;
    static constexpr int cancel_command = 2;
    static constexpr int item_gap = 4;

    ppc_form_t(const ppc_device_t& device, QWidget* main_window, std::u16string title);
    ~ppc_form_t() override;

    // form_t
    void show() override;
    void close() override;
    bool is_open() override { return shown_; }
    void add_button(button_t* button) override;
    void add_item(std::unique_ptr<item_t> item) override;
    std::u16string title() override { return title_; }
    void set_title(const std::u16string& text) override { title_ = text; }
    void clear() override;
    void refresh() override;
    bool ended_by_program() override { return ended_by_program_; }

    // Runs a command as the soft keys and the options menu do.
    void command(int id);
    // Scrolls so that page position `y` (a control's bottom plus 10) is visible.
    void scroll_into_view(int y);
    // Scrolls so that a control of the page is in view; run whenever a control of the page gets the focus.
    void ensure_visible(QWidget* control);

    // Runs an action of the script from an event handler. A failure ends the form and is raised again
    // from show(), the way it would leave a modal loop of the device.
    void run_guarded(const std::function<void()>& action);
    // Runs a listener of a control that may end the form to have it built again (a card selection does): the
    // control the user is at has the focus again in the form built next, so the keys go on where they were.
    void keep_focus_through(const std::function<void()>& action);

    bool soft_keys() const { return device_.soft_keys; }
    QWidget* page() const { return page_; }
    // After the last layout: (0, 0, width of the layout area, height of all items).
    ppc_rect_t content() const { return content_; }
    ppc_rect_t area() const { return area_; }
    int scroll_position() const;
    QScrollBar* scroll_bar() const { return scroll_bar_; }
    QMenu* options_menu() const { return options_menu_; }
    soft_key_t* left_soft_key() const { return left_key_; }
    soft_key_t* right_soft_key() const { return right_key_; }
    // How far one notch of the mouse wheel scrolls, in pixels: a few lines, never more than the page.
    int wheel_step() const;
    ppc_button_t* default_button() const { return default_button_; }
    ppc_button_t* back_button() const { return back_button_; }
    const std::vector<ppc_button_t*>& buttons() const { return buttons_; }
    // The items from top to bottom as a driver acting as the user reads and reaches them.
    std::vector<item_automation_t> automation() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void initialise();
    void build_soft_keys();
    void open_options();
    void press_button(std::size_t index);
    void relayout(int offset);
    void set_scroll_position(int position);
    void update_scroll();
    int overflow() const;
    int client_height() const;
    void end_dialog();
    void reset_area();
    void place_over_main_window();
    // The controls of the page that take the focus, in the order the items made them.
    std::vector<QWidget*> focus_controls() const;

    ppc_device_t device_;
    QPointer<QWidget> main_window_;
    ppc_rect_t content_;
    std::vector<std::unique_ptr<item_t>> owned_items_;
    std::vector<ppc_item_t*> items_;
    ppc_rect_t area_;
    std::u16string title_;
    bool shown_ = false;
    bool ended_by_program_ = false;
    bool created_ = false;
    std::vector<ppc_button_t*> buttons_;
    ppc_button_t* default_button_ = nullptr;
    ppc_button_t* back_button_ = nullptr;
    std::exception_ptr failure_;
    // What the wheel turned that has not made a whole notch yet (eighths of a degree).
    int wheel_rest_ = 0;
    // The control (by its place among focus_controls) that gets the focus when the form is next shown; -1: none.
    int refocus_ = -1;

    QWidget* page_;
    QScrollBar* scroll_bar_;
    QWidget* soft_key_bar_;
    soft_key_t* left_key_;
    soft_key_t* right_key_;
    QMenu* options_menu_;
};
