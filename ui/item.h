#pragma once

#include <string>

class action_t;
class param_t;

// A row of a form. Items are created by the display, configured by their tag and then handed to the form,
// which owns them from then on.
class item_t {
public:
    virtual ~item_t() = default;
    // Kept for the slot order of every item; no item does anything in it.
    virtual void reserved() {}
};

// A static text that folds to one line ("[+]" ...) and unfolds to its whole text ("[-]" ...).
class string_item_t : public item_t {
public:
    // Neither redraws: the change reaches the screen with the form's next refresh().
    virtual void fold() = 0;
    virtual void unfold() = 0;
    // Run on a click or the action key; borrowed.
    virtual void set_click_handler(action_t* handler) = 0;
};

// A one-line text input.
class input_item_t : public item_t {
public:
    // The input types, chosen by the script's Type keyword. Any value past currency behaves as password.
    enum type_t : int { any = 0, email = 1, numeric = 2, phone = 3, url = 4, decimal = 5, currency = 6, password = 7 };

    // Bit 0 of `flags` hides the characters, whatever the type.
    virtual void set_type(int type, int flags) = 0;
    virtual void set_input_mode(int mode) = 0;
    virtual void set_min_length(int n) = 0;
    virtual void set_max_length(int n) = 0;
    // The message shown when the value is rejected.
    virtual void set_error_text(const std::u16string& text) = 0;
    virtual void reserved_8() {}
    // Starts the input with the parameter's value and stores the committed text into it; borrowed.
    virtual void set_param(param_t* param) = 0;
    virtual void set_caption(const std::u16string& text) = 0;
    virtual int max_length() = 0;
};

// A picture from the script's folder, fixed at creation.
class image_item_t : public item_t {
public:
    virtual void reserved_3() {}
};

// A group of check boxes; each box stores "true" or "false" into the parameters added before it.
class checkbox_item_t : public item_t {
public:
    virtual void add_box(const std::u16string& text, bool ticked) = 0;
    // Waits for the next add_box; borrowed.
    virtual void add_param(param_t* param) = 0;
    virtual void set_caption(const std::u16string& text) = 0;
};

// A pick of one text out of a list of options.
class select_item_t : public item_t {
public:
    // 1 one-line list stepped with arrows, 2 drop-down list, anything else radio buttons.
    enum style_t : int { radio = 0, spin = 1, drop_down = 2 };

    virtual void set_style(int style) = 0;
    // A later selected option wins over an earlier one.
    virtual void add_option(const std::u16string& text, bool selected) = 0;
    // Run after every change of the pick that the user makes (never for picks made by the program); borrowed.
    virtual void add_listener(action_t* listener) = 0;
    virtual void bind_param(param_t* param) = 0;
    virtual std::u16string selected_text() = 0;
    // Picks the first option equal to `text`; an unknown text changes nothing.
    virtual void select_text(const std::u16string& text) = 0;
    virtual void set_caption(const std::u16string& text) = 0;
    // An option that does something when chosen ("Добавить еще..."): the keys that step through the options
    // pass over it, and only a deliberate choice (Enter, a click) picks it. By default a plain option.
    virtual void add_action_option(const std::u16string& text, bool selected) { add_option(text, selected); }
};
