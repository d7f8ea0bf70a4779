#pragma once

#include <QDialog>

#include "messaging/sms_dialog.h"

class QPushButton;

// "Отправка смс..." with an "Отмена" button, shown modally while the worker hands one SMS to the modem.
// The worker ends it from its own thread; the end is queued to the GUI thread, the only one that may touch
// the widget.
class cancel_sms_dialog_t : public QDialog, public sms_dialog_t {
    Q_OBJECT

public:
    static constexpr int cancel_button_id = 1012;

    cancel_sms_dialog_t();

protected:
    void exec_modal() override;
    void close_modal(bool sent) override;
    void showEvent(QShowEvent* event) override;
    // Escape and the window's close button cancel like the button does.
    void reject() override;

private:
    QPushButton* cancel_;
};
