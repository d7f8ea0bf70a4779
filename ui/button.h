#pragma once

#include <string>

class action_t;

// A soft-key command of a form.
class button_t {
public:
    // A button's role in a form: a confirming button makes the form check its items before it runs;
    // the back button is only recorded; any other value is a plain command.
    enum kind_t : int { confirming = 0, plain = 1, back = 2 };

    virtual ~button_t() = default;
    virtual void set_caption(const std::u16string& text) = 0;
    // The action run when the button is pressed; borrowed, not owned.
    virtual void set_action(action_t* action) = 0;
};
