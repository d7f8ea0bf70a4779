#pragma once

#include <QLineEdit>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/item.h"
#include "ui/ppc/ppc_item.h"

// The edit box of an input: it applies the key rules of the input types. Escape first deletes a character
// while there is text, and only then reaches the form as the Back key.
class ppc_edit_t : public QLineEdit {
    Q_OBJECT

public:
    ppc_edit_t(QWidget* parent, int type, bool soft_keys);

    // Milliseconds of a steady clock; tests replace it to hold a key as long as they like.
    static std::function<std::int64_t()> clock;
    // How long the 0 key is held before it gives "+" on a keypad phone.
    static constexpr std::int64_t zero_hold_ms = 1000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Applies the rules of this type to one typed character; true when the character goes on to the box.
    bool type_character(QChar c);
    // Puts `s` at position `at` and the caret after it, if the length limit allows.
    void put(int at, const QString& s);
    bool digits_only() const;

    int type_;
    bool soft_keys_;
    std::int64_t zero_key_tick_ = 0;
};

// A one-line text input with a caption, an input type, length limits and the text shown on a bad value.
class ppc_input_item_t : public input_item_t, public ppc_paramed_item_t {
public:
    ppc_input_item_t(ppc_form_t* form, const std::u16string& caption);
    ~ppc_input_item_t() override;

    void set_type(int type, int flags) override;
    void set_input_mode(int) override {}
    void set_min_length(int n) override { min_length_ = n; }
    void set_max_length(int n) override { max_length_ = n; }
    void set_error_text(const std::u16string& text) override { error_text_ = text; }
    void set_param(param_t* param) override;
    void set_caption(const std::u16string& text) override { set_caption_text(text); }
    int max_length() override { return max_length_; }

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string& message) override;

    const std::u16string& value() const { return value_; }
    ppc_edit_t* control() const { return control_; }

private:
    QPointer<ppc_edit_t> control_;
    std::u16string value_;
    int type_ = input_item_t::any;
    int min_length_ = 0;
    int max_length_ = 255;
    bool password_ = false;
    std::u16string error_text_;
};
