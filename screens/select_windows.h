#pragma once

#include <QButtonGroup>
#include <QComboBox>
#include <QFrame>
#include <QPointer>
#include <QRadioButton>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QToolButton;
class ppc_select_item_t;

// The control that shows a selection item's options. It reports only the user's changes to its owner;
// picks the program makes while filling it are never reported.
class select_wnd_t {
public:
    virtual ~select_wnd_t() = default;
    virtual void create(int left, int top, int right, int bottom, QWidget* parent) = 0;
    virtual void add_option(const std::u16string& text, bool selected) = 0;
    virtual void move(int left, int top, int right, int bottom) = 0;
    // Where the controls are; only the height is used.
    virtual QRect get_rect() = 0;
    // The item's caption, for screen readers: the name of a control that shows one option, the description of
    // buttons named by their own options.
    virtual void set_caption(const QString& caption) = 0;
};

// Whether option i does something when chosen (see select_item_t::add_action_option).
using action_option_t = std::function<bool(int)>;

// The drop-down list's box. A long option is shortened in the middle, so that its end (the digits that tell
// two cards apart) stays in view. The keys never change the pick of the closed box: they open its list, in
// which the arrows move and Enter (or a click) picks; so stepping over an option never picks it.
class popup_combo_t : public QComboBox {
    Q_OBJECT

public:
    popup_combo_t(QWidget* parent, bool soft_keys, action_option_t is_action);
    // The current option as the box shows it.
    QString shown_text() const;
    int text_width() const;
    // Whether the wheel over the box is for the pick: the user went to it by a click or the keys.
    bool takes_wheel() const { return wheel_picks_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool wheel_picks_ = false;
    bool soft_keys_;
    action_option_t is_action_;
};

// A drop-down list.
class popup_select_wnd_t : public select_wnd_t {
public:
    explicit popup_select_wnd_t(ppc_select_item_t* owner) : owner_(owner) {}
    ~popup_select_wnd_t() override;
    void create(int left, int top, int right, int bottom, QWidget* parent) override;
    void add_option(const std::u16string& text, bool selected) override;
    void move(int left, int top, int right, int bottom) override;
    QRect get_rect() override;
    void set_caption(const QString& caption) override;
    popup_combo_t* control() const { return combo_; }

private:
    ppc_select_item_t* owner_;
    QPointer<popup_combo_t> combo_;
};

// One option on one line between two arrows; Left and Right (or a click on an arrow) step through the
// options and wrap around at the ends. The option shows highlighted while the control has the focus, and a
// long one is shortened in the middle so that its end stays in view. Each step is a pick, but for an option
// that does something when chosen: a step only shows it, Enter picks it, and leaving the line puts back the
// pick.
class spin_select_control_t : public QFrame {
    Q_OBJECT

public:
    spin_select_control_t(QWidget* parent, action_option_t is_action);
    void add_option(const QString& text) { options_.append(text); }
    // Shows option `index` as the pick, without reporting it.
    void set_current(int index);
    // The option shown, and the one picked (they differ while an action option is only shown).
    int current() const { return current_; }
    int taken() const { return taken_; }
    int count() const { return static_cast<int>(options_.size()); }
    QString option(int index) const { return options_.value(index); }
    QString current_text() const { return current_ >= 0 ? options_.value(current_) : QString(); }
    // Steps as the user does, and reports the change.
    void step(int by);
    // The option as the line shows it, and the room the line has for it.
    QString shown_text() const;
    int text_width() const;

signals:
    void picked(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void show_focus(bool focused);
    void show_option(int index);

    QStringList options_;
    int current_ = -1;
    int taken_ = -1;
    action_option_t is_action_;
    QToolButton* back_;
    QToolButton* forward_;
    QLabel* text_;
};

class spin_select_wnd_t : public select_wnd_t {
public:
    explicit spin_select_wnd_t(ppc_select_item_t* owner) : owner_(owner) {}
    ~spin_select_wnd_t() override;
    void create(int left, int top, int right, int bottom, QWidget* parent) override;
    void add_option(const std::u16string& text, bool selected) override;
    void move(int left, int top, int right, int bottom) override;
    QRect get_rect() override;
    void set_caption(const QString& caption) override;
    spin_select_control_t* control() const { return spin_; }

private:
    ppc_select_item_t* owner_;
    QPointer<spin_select_control_t> spin_;
};

// A column of radio buttons, one row each.
class exclusive_select_wnd_t : public select_wnd_t {
public:
    explicit exclusive_select_wnd_t(ppc_select_item_t* owner) : owner_(owner) {}
    ~exclusive_select_wnd_t() override;
    void create(int left, int top, int right, int bottom, QWidget* parent) override;
    void add_option(const std::u16string& text, bool selected) override;
    void move(int left, int top, int right, int bottom) override;
    QRect get_rect() override;
    void set_caption(const QString& caption) override;
    const std::vector<QPointer<QRadioButton>>& radios() const { return radios_; }
    int row_height() const { return row_height_; }

private:
    void delete_radios();
    // The arrows move between the buttons and Enter picks the one at the focus; see the drop-down list.
    bool radio_key(QRadioButton* radio, int key);
    friend class radio_keys_t;

    ppc_select_item_t* owner_;
    std::vector<QPointer<QRadioButton>> radios_;
    QPointer<QButtonGroup> group_;
    QPointer<QObject> keys_;
    QWidget* parent_ = nullptr;
    int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    int row_height_ = 0;
};
