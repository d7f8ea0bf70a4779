#include "storage/login.h"

#include "core/atomic_writer.h"
#include "core/u16.h"
#include "resources/texts.h"

login_t::login_t(std::u16string config_dir, login_ui_t& ui, file_ops_t& ops)
    : config_dir_(std::move(config_dir)), ui_(ui), ops_(ops) {}

bool login_t::exists(const std::u16string& path) const {
    const int handle = ops_.open_read(to_utf8(path));
    if (handle < 0) return false;
    ops_.close(handle);
    return true;
}

void login_t::remove_settings() {
    own_settings_storage.reset();
    ops_.remove(to_utf8(settings_path()));
}

bool login_t::start_from_defaults() {
    std::u16string pin;
    const bool accepted = ui_.run_new_pin(pin);
    if (!accepted) return false;
    own_settings_storage.reset();
    defaults_storage->set_write_password(pin);
    return true;
}

bool login_t::open_settings(const std::u16string& settings_name, const std::u16string& defaults_name) {
    // A save cut short by a crash left its temporary file beside the settings; the settings themselves are whole.
    remove_writer_leftovers(ops_, folder_of(to_utf8(config_dir_ + settings_name)));
    defaults_storage.reset();
    own_settings_storage.reset();
    try {
        defaults_storage = std::make_unique<mfc_storage_t>(config_dir_ + defaults_name, ops_);
    } catch (const mfc_storage_ex_t&) {
        ui_.show_error(texts::login_defaults_failed);
        return false;
    }
    settings_name_ = settings_name;
    try {
        if (!exists(settings_path())) return start_from_defaults();
        switch (ui_.run_old_pin(*this)) {
            case login_ui_t::pin_accepted:
                return true;
            case login_ui_t::five_wrong:
                remove_settings();
                return false;
            case login_ui_t::new_pin_chosen:
                remove_settings();
                return start_from_defaults();
            case login_ui_t::change_pin_chosen: {
                std::u16string pin;
                if (ui_.run_new_pin(pin)) own_settings_storage->set_write_password(pin);
                return true;
            }
            default:
                own_settings_storage.reset();
                return false;
        }
    } catch (const mfc_storage_open_file_ex_t& e) {
        own_settings_storage.reset();
        ui_.show_error(e.text());
        return false;
    }
}

bool login_t::try_pin(const std::u16string& pin) {
    try {
        own_settings_storage = std::make_unique<mfc_storage_t>(settings_path(), mfc_storage_t::mode_read, pin, ops_);
        return true;
    } catch (const mfc_storage_wrong_pass_ex_t&) {
        own_settings_storage.reset();
        return false;
    }
}
