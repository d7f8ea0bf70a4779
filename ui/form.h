#pragma once

#include <memory>
#include <string>

#include "ui/window.h"

class button_t;
class item_t;

// A screen on which the user fills in a request: items stacked top to bottom and soft-key commands.
class form_t : public window_t {
public:
    // Borrowed: the button's tag keeps it.
    virtual void add_button(button_t* button) = 0;
    // The form owns its items from here on.
    virtual void add_item(std::unique_ptr<item_t> item) = 0;
    virtual std::u16string title() = 0;
    virtual void set_title(const std::u16string& text) = 0;
    // Deletes every item and forgets every button.
    virtual void clear() = 0;
    // Lays the items out again after their content changed while the form is open.
    virtual void refresh() = 0;
    // Whether the form's last showing was ended by close() from program code rather than by the user.
    virtual bool ended_by_program() = 0;
};
