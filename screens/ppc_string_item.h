#pragma once

#include <QLabel>
#include <QPointer>
#include <string>

#include "screens/ppc_item.h"
#include "ui/item.h"

// The label of a static text: it takes the focus, shows a frame while it has it, and reports clicks and
// the action key (Enter), the key once however long it is held.
class ppc_text_label_t : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void activated();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool key_down_ = false;
};

// A static text that folds to one line starting with "[+]" and unfolds to "[-]" and the whole text.
class ppc_string_item_t : public string_item_t, public ppc_item_t {
public:
    ppc_string_item_t(ppc_form_t* form, const std::u16string& text);
    ~ppc_string_item_t() override;

    void fold() override { expanded_ = false; }
    void unfold() override { expanded_ = true; }
    void set_click_handler(action_t* handler) override { click_handler_ = handler; }

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string&) override { return true; }
    item_automation_t automation() const override;

    bool expanded() const { return expanded_; }
    const std::u16string& shown_text() const { return shown_text_; }
    const std::u16string& folded_text() const { return folded_text_; }
    ppc_text_label_t* control() const { return control_; }

    // The folded form of `full`: its first n - 3 characters and "...", every "[-]" turned into "[+]".
    static std::u16string fold_text(const std::u16string& full, std::size_t n);

private:
    void clicked();

    QPointer<ppc_text_label_t> control_;
    std::u16string shown_text_;
    std::u16string folded_text_;
    std::u16string full_text_;
    bool expanded_ = true;
    action_t* click_handler_ = nullptr;
};
