#pragma once

#include <string>

#include "ui/button.h"

// A soft-key command of a form: an entry of its options menu.
class ppc_button_t : public button_t {
public:
    ppc_button_t(std::u16string caption, int kind) : kind_(kind), caption_(std::move(caption)) {}

    void set_caption(const std::u16string& text) override { caption_ = text; }
    void set_action(action_t* action) override { action_ = action; }

    int kind() const { return kind_; }
    const std::u16string& caption() const { return caption_; }
    // Runs the action; nothing without one.
    void press();

private:
    int kind_;
    std::u16string caption_;
    action_t* action_ = nullptr;
};
