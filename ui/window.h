#pragma once

// Anything the script can show: a form, a menu list, a message box.
class window_t {
public:
    virtual ~window_t() = default;
    // Shows the window; a modal window returns when the user is done with it.
    virtual void show() = 0;
    // Closes the window from program code.
    virtual void close() = 0;
    virtual bool is_open() = 0;
};
