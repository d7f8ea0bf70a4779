#pragma once

#include <memory>
#include <string>
#include <vector>

#include "screens/ppc_item.h"
#include "screens/select_windows.h"
#include "ui/item.h"

// A caption and a pick of one option, shown by a drop-down list, a one-line list with arrows, or radio
// buttons. On a keypad phone every style the script sets gives the one-line list; without one it is a
// drop-down list there too.
class ppc_select_item_t : public select_item_t, public ppc_paramed_item_t {
public:
    ppc_select_item_t(ppc_form_t* form, const std::u16string& caption) : ppc_paramed_item_t(form, caption) {}
    ~ppc_select_item_t() override;

    void set_style(int style) override;
    void add_option(const std::u16string& text, bool selected) override;
    void add_listener(action_t* listener) override { listeners_.push_back(listener); }
    void bind_param(param_t* param) override { bind_default(param); }
    std::u16string selected_text() override;
    void select_text(const std::u16string& text) override;
    void set_caption(const std::u16string& text) override { set_caption_text(text); }
    void add_action_option(const std::u16string& text, bool selected) override;

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string& message) override;
    item_automation_t automation() const override;

    // The user picked option `index`: it becomes the pick and every listener runs, in the order added.
    void pick_changed(int index);

    int selected() const { return selected_; }
    // Whether option i does something when chosen.
    bool is_action(int i) const { return i >= 0 && i < static_cast<int>(actions_.size()) && actions_[i]; }
    bool keypad() const { return soft_keys(); }
    select_wnd_t* window() const { return window_.get(); }

private:
    std::vector<action_t*> listeners_;
    std::vector<std::u16string> options_;
    std::vector<bool> actions_;
    int selected_ = -1;
    std::unique_ptr<select_wnd_t> window_;
};
