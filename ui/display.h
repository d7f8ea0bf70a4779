#pragma once

#include <memory>
#include <string>

#include "ui/alert.h"
#include "ui/button.h"
#include "ui/form.h"
#include "ui/item.h"
#include "ui/list.h"

// The one factory of everything the script shows. The tags never touch the windowing themselves.
// Every `form` argument is a form made by this display; an item keeps it as its parent form but is not
// added to it until the tag calls form_t::add_item.
class display_t {
public:
    virtual ~display_t() = default;

    // The logo picture's file name; every "/" is removed from it.
    virtual void set_logo_image(const std::u16string& file) = 0;
    virtual std::unique_ptr<form_t> create_form(const std::u16string& title) = 0;
    virtual std::unique_ptr<list_t> create_list(const std::u16string& title) = 0;
    virtual std::unique_ptr<alert_t> create_alert(const std::u16string& caption, const std::u16string& text,
                                                  int kind) = 0;
    virtual std::unique_ptr<string_item_t> create_string_item(form_t* form, const std::u16string& text) = 0;
    virtual std::unique_ptr<select_item_t> create_select_item(form_t* form, const std::u16string& caption) = 0;
    virtual std::unique_ptr<input_item_t> create_input_item(form_t* form, const std::u16string& caption) = 0;
    // The picture is the file of that name inside the script folder.
    virtual std::unique_ptr<image_item_t> create_image_item(form_t* form, const std::u16string& file) = 0;
    virtual std::unique_ptr<checkbox_item_t> create_checkbox_item(form_t* form, const std::u16string& caption) = 0;
    virtual std::unique_ptr<button_t> create_button(form_t* form, const std::u16string& caption, int kind) = 0;
};
