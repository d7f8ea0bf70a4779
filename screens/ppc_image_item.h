#pragma once

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <string>

#include "screens/ppc_item.h"
#include "ui/item.h"

// A picture centred on the form. A picture that cannot be loaded takes no room and says nothing.
class ppc_image_item_t : public image_item_t, public ppc_item_t {
public:
    ppc_image_item_t(ppc_form_t* form, std::u16string path) : ppc_item_t(form), path_(std::move(path)) {}
    ~ppc_image_item_t() override;

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string&) override { return true; }

    const std::u16string& path() const { return path_; }
    bool loaded() const { return loaded_; }
    QLabel* control() const { return control_; }

private:
    std::u16string path_;
    bool loaded_ = false;
    bool tried_ = false;
    QPixmap bitmap_;
    QPointer<QLabel> control_;
};
