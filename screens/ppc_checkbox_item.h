#pragma once

#include <QCheckBox>
#include <QPointer>
#include <string>
#include <vector>

#include "screens/ppc_item.h"
#include "ui/item.h"

// A caption and a column of check boxes; each box stores "true" or "false" under its own text.
class ppc_checkbox_item_t : public checkbox_item_t, public ppc_paramed_item_t {
public:
    ppc_checkbox_item_t(ppc_form_t* form, const std::u16string& caption) : ppc_paramed_item_t(form, caption) {}
    ~ppc_checkbox_item_t() override;

    void add_box(const std::u16string& text, bool ticked) override;
    void add_param(param_t* param) override { pending_.push_back(param); }
    void set_caption(const std::u16string& text) override { set_caption_text(text); }

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string& message) override;
    item_automation_t automation() const override;

    const std::vector<QPointer<QCheckBox>>& controls() const { return controls_; }

private:
    struct box_t {
        std::u16string text;
        bool ticked;
    };
    void delete_controls();

    std::vector<param_t*> pending_;
    std::vector<box_t> boxes_;
    std::vector<QPointer<QCheckBox>> controls_;
};
