#pragma once

#include <QMenu>
#include <QPointer>
#include <string>
#include <unordered_map>

#include "screens/ppc_device.h"
#include "ui/display.h"

class QMenu;
class QWidget;
class ppc_form_t;

// The display of the device: makes the screens, keeps the script folder for pictures, and keeps the table of
// menu commands through which every dynamic menu entry of the main window reaches its tag.
class ppc_display_t : public display_t {
public:
    // Menu commands are numbered from here on after every reset_menu; the main window routes this range.
    static constexpr int first_command = 37001;
    static constexpr int last_command = 37100;

    // `main_window` is the parent of every form and message box; null shows them on their own.
    ppc_display_t(const ppc_device_t& device, QWidget* main_window);

    void set_logo_image(const std::u16string& file) override;
    std::unique_ptr<form_t> create_form(const std::u16string& title) override;
    std::unique_ptr<list_t> create_list(const std::u16string& title) override;
    std::unique_ptr<alert_t> create_alert(const std::u16string& caption, const std::u16string& text, int kind) override;
    std::unique_ptr<string_item_t> create_string_item(form_t* form, const std::u16string& text) override;
    std::unique_ptr<select_item_t> create_select_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<input_item_t> create_input_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<image_item_t> create_image_item(form_t* form, const std::u16string& file) override;
    std::unique_ptr<checkbox_item_t> create_checkbox_item(form_t* form, const std::u16string& caption) override;
    std::unique_ptr<button_t> create_button(form_t* form, const std::u16string& caption, int kind) override;

    // Empties `menu` (its sub-menus are deleted) and the command table, and makes `menu` the one the next
    // list fills.
    void reset_menu(QMenu* menu);
    // Hands out the next command identifier for `tag`.
    int register_command(const std::u16string& text, tag_t* tag);
    // Runs the tag of a menu command. An error the tag raises is shown in an error box, and the program goes
    // on. Returns whether a tag ran to its end.
    bool dispatch_command(int id);

    void set_script_folder(const std::u16string& folder) { script_folder_ = folder; }
    const std::u16string& script_folder() const { return script_folder_; }
    const std::u16string& logo_image() const { return logo_image_; }
    QMenu* current_menu() const { return current_menu_; }
    void set_current_menu(QMenu* menu) { current_menu_ = menu; }
    QMenu* root_menu() const { return root_menu_; }
    int last_registered() const { return last_command_; }
    const ppc_device_t& device() const { return device_; }

private:
    ppc_device_t device_;
    QPointer<QWidget> main_window_;
    std::u16string logo_image_;
    QPointer<QMenu> current_menu_;
    std::u16string script_folder_;
    std::unordered_map<int, tag_t*> commands_;
    int last_command_ = first_command - 1;
    QPointer<QMenu> root_menu_;
};
