#pragma once

#include <memory>
#include <string>

#include "core/file_ops.h"
#include "storage/mfc_storage.h"

class login_t;

// The two PIN dialogs and the boxes the login shows, as the login sees them.
class login_ui_t {
public:
    // Outcomes of the enter-PIN dialog.
    static constexpr int pin_accepted = 0;
    static constexpr int five_wrong = 1;
    static constexpr int new_pin_chosen = 2;
    static constexpr int change_pin_chosen = 3;
    static constexpr int cancelled = 4;

    virtual ~login_ui_t() = default;
    // Runs the enter-PIN dialog, which tries PINs through login.try_pin.
    virtual int run_old_pin(login_t& login) = 0;
    // Runs the new-PIN dialog; true with `pin` set when the user set one.
    virtual bool run_new_pin(std::u16string& pin) = 0;
    virtual void show_error(const std::u16string& text) = 0;
};

// The PIN login at start: opens the defaults file, proves the PIN against the settings file (or has the user set
// one), and hands both storages to the application. The settings storage may be the defaults storage itself.
class login_t {
public:
    // `config_dir` ends in "/".
    login_t(std::u16string config_dir, login_ui_t& ui, file_ops_t& ops = posix_file_ops());

    bool open_settings(const std::u16string& settings_name, const std::u16string& defaults_name);
    // Opens the settings file for reading with `pin`; false for a wrong PIN. A damaged file raises its storage
    // error.
    bool try_pin(const std::u16string& pin);

    // What the application takes over after a successful open_settings.
    std::unique_ptr<mfc_storage_t> defaults_storage;
    std::unique_ptr<mfc_storage_t> own_settings_storage;  // null when the settings start from the defaults
    mfc_storage_t* settings_storage() const {
        return own_settings_storage ? own_settings_storage.get() : defaults_storage.get();
    }

private:
    std::u16string settings_path() const { return config_dir_ + settings_name_; }
    bool exists(const std::u16string& path) const;
    void remove_settings();
    // Starts the settings afresh from the defaults with a new PIN; false when the user cancelled.
    bool start_from_defaults();

    std::u16string settings_name_;
    std::u16string config_dir_;
    login_ui_t& ui_;
    file_ops_t& ops_;
};
