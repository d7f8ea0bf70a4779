#pragma once

#include <QString>

#include "app/soft_key_dialog.h"
#include "storage/login.h"

class QLineEdit;
class QMenu;

// "Ввод пин-кода": the user proves the PIN of the settings file. "Опции" offers entering the program, changing
// the PIN and starting anew with a new PIN; "Выход" cancels. Five wrong PINs, with either command, end it.
class old_pin_form_t : public soft_key_dialog_t {
    Q_OBJECT

public:
    static constexpr int login_command = 32893;
    static constexpr int change_command = 32894;
    static constexpr int new_pin_command = 32895;
    static constexpr int pin_control = 1011;
    static constexpr int max_attempts = 5;

    old_pin_form_t(const ppc_device_t& device, QWidget* parent);

    // Shows the dialog modally; one of the login_ui_t outcomes.
    int run(login_t& login);
    // Runs a command of the "Опции" menu.
    void command(int id);

    QLineEdit* pin_edit() const { return edit_; }
    QMenu* options_menu() const { return options_; }

protected:
    void left_key() override;
    void action_key() override { command(login_command); }
    void reject() override;

private:
    void try_pin(int success, const char16_t* wrong_message);
    void end(int outcome);

    QLineEdit* edit_;
    QMenu* options_;
    login_t* login_ = nullptr;
    int outcome_ = login_ui_t::cancelled;
    int attempts_ = 0;
};

// "Задать новый пин-код": the PIN typed twice, four digits.
class new_pin_form_t : public soft_key_dialog_t {
    Q_OBJECT

public:
    static constexpr int pin_control = 1011;
    static constexpr int repeat_control = 1017;
    static constexpr int pin_length = 4;

    new_pin_form_t(const ppc_device_t& device, QWidget* parent);

    // Shows the dialog modally; true with `pin` set when the user set a PIN.
    bool run(std::u16string& pin);

    QLineEdit* pin_edit() const { return pin_; }
    QLineEdit* repeat_edit() const { return repeat_; }

protected:
    void left_key() override { action_key(); }
    void action_key() override;

private:
    QLineEdit* pin_;
    QLineEdit* repeat_;
    std::u16string new_pin_;
};

// The login's dialogs and boxes on the screen.
class pin_login_ui_t : public login_ui_t {
public:
    pin_login_ui_t(const ppc_device_t& device, QWidget* parent) : device_(device), parent_(parent) {}

    int run_old_pin(login_t& login) override;
    bool run_new_pin(std::u16string& pin) override;
    void show_error(const std::u16string& text) override;

private:
    ppc_device_t device_;
    QWidget* parent_;
};
