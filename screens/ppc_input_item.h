#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QValidator>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "screens/ppc_item.h"
#include "ui/item.h"

// The text of an edit box and its caret.
struct edit_state_t {
    QString text;
    int caret = 0;
    bool operator==(const edit_state_t&) const = default;
};

// The rules of an input type, the same whichever way text arrives.
struct input_rules_t {
    int type = input_item_t::any;
    // The item's length setting as the script gave it; the key rules compare with it as it stands.
    int max_length = 255;

    // The box's own limit: none when the setting is 0 or less, as an edit box's limit of 0 meant no limit.
    bool limited() const { return max_length > 0; }
    bool digits_only() const;
    // One typed character in a box that holds `before`: the box afterwards, or nothing when the key is dropped.
    std::optional<edit_state_t> type_character(const edit_state_t& before, QChar c) const;
    // Whether a whole text may stand in the box, however it came there (paste, drag, input method).
    bool allows(const QString& text) const;
};

// Holds an edit box to its input rules. Spaces in a pasted number are dropped; any other text the rules
// do not allow is refused whole rather than cut, so a pasted amount is never stored changed. Deleting always
// works, also out of a text that broke the rules when the form filled it in.
class input_validator_t : public QValidator {
public:
    input_validator_t(QObject* parent, input_rules_t rules) : QValidator(parent), rules_(rules) {}
    State validate(QString& input, int& pos) const override;
    void set_deleting(bool deleting) { deleting_ = deleting; }

private:
    input_rules_t rules_;
    bool deleting_ = false;
};

// The edit box of an input: it applies the key rules of the input types, also when the typed character
// replaces a selection. Escape deletes the character before the caret; with nothing before the caret it
// reaches the form as the Back key.
class ppc_edit_t : public QLineEdit {
    Q_OBJECT

public:
    // `max_length` is the item's setting: 0 or less sets no limit.
    ppc_edit_t(QWidget* parent, int type, bool soft_keys, int max_length = 255);

    const input_rules_t& rules() const { return rules_; }

    // Milliseconds of a steady clock; tests replace it to hold a key as long as they like.
    static std::function<std::int64_t()> clock;
    // How long the 0 key is held before it gives "+" on a keypad phone.
    static constexpr std::int64_t zero_hold_ms = 1000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // Applies the rules to one typed character over the current text and selection.
    void type_character(QChar c);
    void apply(const edit_state_t& after);
    // Runs a deletion, which the rules never refuse.
    void deleting(const std::function<void()>& act);

    input_rules_t rules_;
    bool soft_keys_;
    input_validator_t* validator_;
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
    item_automation_t automation() const override;

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
