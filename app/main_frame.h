#pragma once

#include <QWidget>

#include "screens/ppc_device.h"

class CKestrelpodView;
class QPushButton;

// The one full-screen window of the program: the view with the bank's logo, and the soft keys "Выход" (command 1,
// closes the window and so ends the program) and "Меню". With soft keys "Меню" asks the application to build the
// menu anew (command 32802); on a touch screen it is a drop-down button whose menu the application fills.
class CMainFrame : public QWidget {
    Q_OBJECT

public:
    static constexpr int exit_command = 1;
    static constexpr int menu_command = 32802;

    explicit CMainFrame(const ppc_device_t& device);

    CKestrelpodView* view() const { return view_; }
    QPushButton* exit_key() const { return exit_key_; }
    QPushButton* menu_key() const { return menu_key_; }
    // Brings the window to the front, as when a second copy of the program was started.
    void bring_to_front();

signals:
    // The "Меню" soft key on a keypad phone.
    void menu_key_pressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ppc_device_t device_;
    CKestrelpodView* view_;
    QPushButton* exit_key_;
    QPushButton* menu_key_;
};
