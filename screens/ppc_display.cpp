#include "screens/ppc_display.h"

#include <QMenu>
#include <vector>

#include "core/text_error.h"
#include "screens/message_box.h"
#include "screens/popup_placement.h"
#include "screens/ppc_alert.h"
#include "screens/ppc_button.h"
#include "screens/ppc_checkbox_item.h"
#include "screens/ppc_form.h"
#include "screens/ppc_image_item.h"
#include "screens/ppc_input_item.h"
#include "screens/ppc_list.h"
#include "screens/ppc_select_item.h"
#include "screens/ppc_string_item.h"
#include "script/tag.h"

namespace {

std::u16string without_slashes(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text)
        if (c != u'/') out += c;
    return out;
}

ppc_form_t* platform_form(form_t* form) {
    return dynamic_cast<ppc_form_t*>(form);
}

}  // namespace

ppc_display_t::ppc_display_t(const ppc_device_t& device, QWidget* main_window)
    : device_(device), main_window_(main_window) {
    keep_popups_on_screen();
}

void ppc_display_t::set_logo_image(const std::u16string& file) {
    logo_image_ = without_slashes(file);
}

std::unique_ptr<form_t> ppc_display_t::create_form(const std::u16string& title) {
    return std::make_unique<ppc_form_t>(device_, main_window_, title);
}

std::unique_ptr<list_t> ppc_display_t::create_list(const std::u16string&) {
    return std::make_unique<ppc_list_t>(*this);
}

std::unique_ptr<alert_t> ppc_display_t::create_alert(const std::u16string& caption, const std::u16string& text,
                                                     int kind) {
    return std::make_unique<ppc_alert_t>(main_window_, caption, text, kind);
}

std::unique_ptr<string_item_t> ppc_display_t::create_string_item(form_t* form, const std::u16string& text) {
    return std::make_unique<ppc_string_item_t>(platform_form(form), text);
}

std::unique_ptr<select_item_t> ppc_display_t::create_select_item(form_t* form, const std::u16string& caption) {
    return std::make_unique<ppc_select_item_t>(platform_form(form), caption);
}

std::unique_ptr<input_item_t> ppc_display_t::create_input_item(form_t* form, const std::u16string& caption) {
    return std::make_unique<ppc_input_item_t>(platform_form(form), caption);
}

std::unique_ptr<image_item_t> ppc_display_t::create_image_item(form_t* form, const std::u16string& file) {
    // The script names pictures relative to its own folder; slashes in the name are dropped, so the picture is
    // always a file directly inside that folder.
    std::u16string folder = script_folder_;
    if (!folder.empty() && folder.back() != u'/') folder += u'/';
    return std::make_unique<ppc_image_item_t>(platform_form(form), folder + without_slashes(file));
}

std::unique_ptr<checkbox_item_t> ppc_display_t::create_checkbox_item(form_t* form, const std::u16string& caption) {
    return std::make_unique<ppc_checkbox_item_t>(platform_form(form), caption);
}

std::unique_ptr<button_t> ppc_display_t::create_button(form_t*, const std::u16string& caption, int kind) {
    return std::make_unique<ppc_button_t>(caption, kind);
}

void ppc_display_t::reset_menu(QMenu* menu) {
    root_menu_ = menu;
    current_menu_ = menu;
    if (menu) {
        // The sub-menus the lists made belong to the menu as its children; clear() drops only the entries.
        std::vector<QMenu*> subs;
        for (QAction* entry : menu->actions())
            if (entry->menu()) subs.push_back(entry->menu());
        menu->clear();
        for (QMenu* sub : subs) delete sub;
    }
    commands_.clear();
    last_command_ = first_command - 1;
}

int ppc_display_t::register_command(const std::u16string&, tag_t* tag) {
    commands_[++last_command_] = tag;
    return last_command_;
}

bool ppc_display_t::dispatch_command(int id) {
    // Entries past the range the main window routes never run, just as on the device.
    if (id < first_command || id > last_command) return false;
    auto found = commands_.find(id);
    if (found == commands_.end() || !found->second) return false;
    try {
        found->second->show();
        return true;
    } catch (const text_error_t& error) {
        message_box_t::show(main_window_, message_box_t::icon_t::error, QString::fromStdU16String(error.text()));
        return false;
    }
}
