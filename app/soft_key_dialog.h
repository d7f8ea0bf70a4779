#pragma once

#include <QDialog>

#include "screens/ppc_device.h"

class QPushButton;
class QVBoxLayout;

// A modal dialog the size of the screen over the main window, with the soft-key bar at the bottom. The soft keys
// are also F1/F2 (and Context1/Context2); Escape is the Back key and cancels, Enter is the action key.
class soft_key_dialog_t : public QDialog {
    Q_OBJECT

public:
    soft_key_dialog_t(const ppc_device_t& device, QWidget* parent, const QString& title, const QString& left,
                      const QString& right);

    QPushButton* left_soft_key() const { return left_key_; }
    QPushButton* right_soft_key() const { return right_key_; }

protected:
    // What the keys do.
    virtual void left_key() = 0;
    virtual void action_key() = 0;
    void keyPressEvent(QKeyEvent* event) override;
    // The page above the soft keys.
    QVBoxLayout* page() const { return page_; }
    const ppc_device_t& device() const { return device_; }

private:
    ppc_device_t device_;
    QVBoxLayout* page_;
    QPushButton* left_key_;
    QPushButton* right_key_;
};
