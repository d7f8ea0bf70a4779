#pragma once

#include <string>

#include "ui/alert.h"

class QWidget;

// A message box of one of the three kinds, shown over `parent`.
class ppc_alert_t : public alert_t {
public:
    ppc_alert_t(QWidget* parent, std::u16string caption, std::u16string text, int kind);

    // Returns when the user has answered. OK and Yes make the answer true, No false.
    void show() override;
    void close() override {}
    bool is_open() override { return false; }
    bool answer() override { return answer_; }

    int kind() const { return kind_; }
    const std::u16string& caption() const { return caption_; }
    const std::u16string& text() const { return text_; }

private:
    QWidget* parent_;
    int kind_;
    bool answer_ = false;
    std::u16string text_;
    // Kept, not shown: every box carries the application's name as its caption.
    std::u16string caption_;
};
