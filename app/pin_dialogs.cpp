#include "app/pin_dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/startup_trace.h"
#include "core/text_error.h"
#include "resources/texts.h"
#include "screens/message_box.h"

namespace {

QString text_of(const char16_t* text) {
    return QString::fromUtf16(text);
}

QLineEdit* pin_field(QWidget* parent, int control_id) {
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    edit->setProperty("control_id", control_id);
    return edit;
}

QLabel* wrapped_label(const char16_t* text, QWidget* parent) {
    auto* label = new QLabel(text_of(text), parent);
    label->setWordWrap(true);
    return label;
}

// Overwrites the characters of an edit box before emptying it, so that the PIN does not linger in its buffer.
void wipe(QLineEdit* edit) {
    edit->setText(QString(edit->text().size(), u'0'));
    edit->clear();
}

}  // namespace

old_pin_form_t::old_pin_form_t(const ppc_device_t& device, QWidget* parent)
    : soft_key_dialog_t(device, parent, text_of(texts::old_pin_title), text_of(texts::old_pin_options),
                        text_of(texts::soft_key_exit)) {
    page()->addWidget(wrapped_label(texts::old_pin_label, this));
    edit_ = pin_field(this, pin_control);
    page()->addWidget(edit_);
    options_ = new QMenu(this);
    const std::pair<const char16_t*, int> entries[] = {{texts::old_pin_login, login_command},
                                                       {texts::old_pin_change, change_command},
                                                       {texts::old_pin_new, new_pin_command}};
    for (const auto& [text, id] : entries) {
        QAction* action = options_->addAction(text_of(text));
        action->setData(id);
    }
    connect(options_, &QMenu::triggered, this, [this](QAction* action) { command(action->data().toInt()); });
    // With a touch screen "Опции" drops its menu down; on a keypad phone it pops up over the soft keys.
    if (!device.soft_keys) left_soft_key()->setMenu(options_);
    edit_->setFocus();
}

int old_pin_form_t::run(login_t& login) {
    login_ = &login;
    outcome_ = login_ui_t::cancelled;
    exec();
    wipe(edit_);
    login_ = nullptr;
    return outcome_;
}

void old_pin_form_t::left_key() {
    const QSize size = options_->sizeHint();
    options_->exec(mapToGlobal(QPoint(width() / 2 - size.width() / 2, height() - size.height())));
}

void old_pin_form_t::command(int id) {
    switch (id) {
        case login_command:
            try_pin(login_ui_t::pin_accepted, texts::old_pin_wrong);
            break;
        case change_command:
            try_pin(login_ui_t::change_pin_chosen, texts::old_pin_wrong_change);
            break;
        case new_pin_command:
            if (message_box_t::show(this, message_box_t::icon_t::question, text_of(texts::old_pin_new_warning)) ==
                QMessageBox::Yes)
                end(login_ui_t::new_pin_chosen);
            break;
        default:
            break;
    }
}

void old_pin_form_t::try_pin(int success, const char16_t* wrong_message) {
    if (!login_) return;
    std::u16string pin = edit_->text().toStdU16String();
    if (pin.empty()) {
        message_box_t::show(this, message_box_t::icon_t::warning, text_of(texts::old_pin_empty));
        return;
    }
    bool right = false;
    try {
        right = login_->try_pin(pin);
    } catch (const text_error_t& error) {
        std::fill(pin.begin(), pin.end(), u'0');
        message_box_t::show(this, message_box_t::icon_t::information, QString::fromStdU16String(error.text()));
        return;
    }
    std::fill(pin.begin(), pin.end(), u'0');
    if (right) {
        end(success);
        return;
    }
    if (++attempts_ >= max_attempts) {
        end(login_ui_t::five_wrong);
        return;
    }
    message_box_t::show(this, message_box_t::icon_t::error, text_of(wrong_message));
    wipe(edit_);
}

void old_pin_form_t::end(int outcome) {
    outcome_ = outcome;
    wipe(edit_);
    QDialog::done(outcome == login_ui_t::cancelled ? QDialog::Rejected : QDialog::Accepted);
}

void old_pin_form_t::reject() {
    end(login_ui_t::cancelled);
}

new_pin_form_t::new_pin_form_t(const ppc_device_t& device, QWidget* parent)
    : soft_key_dialog_t(device, parent, text_of(texts::new_pin_title), text_of(texts::new_pin_set),
                        text_of(texts::soft_key_exit)) {
    page()->addWidget(wrapped_label(texts::new_pin_intro, this));
    page()->addSpacing(6);
    page()->addWidget(wrapped_label(texts::new_pin_label, this));
    pin_ = pin_field(this, pin_control);
    page()->addWidget(pin_);
    page()->addWidget(wrapped_label(texts::new_pin_repeat_label, this));
    repeat_ = pin_field(this, repeat_control);
    page()->addWidget(repeat_);
    for (QLineEdit* edit : {pin_, repeat_}) edit->setMaxLength(pin_length);
    pin_->setFocus();
}

bool new_pin_form_t::run(std::u16string& pin) {
    new_pin_.clear();
    const bool accepted = exec() == QDialog::Accepted;
    wipe(pin_);
    wipe(repeat_);
    pin = accepted ? std::exchange(new_pin_, {}) : std::u16string();
    return accepted;
}

void new_pin_form_t::action_key() {
    const QString pin = pin_->text();
    if (pin.size() >= pin_length && pin == repeat_->text()) {
        new_pin_ = pin.toStdU16String();
        accept();
        return;
    }
    const char16_t* message = pin.size() >= pin_length ? texts::new_pin_mismatch : texts::new_pin_too_short;
    message_box_t::show(this, message_box_t::icon_t::error, text_of(message));
    wipe(pin_);
    wipe(repeat_);
    pin_->setFocus();
}

int pin_login_ui_t::run_old_pin(login_t& login) {
    old_pin_form_t form(device_, parent_);
    startup_trace::mark_next_paint(&form, "PIN dialog shown");
    return form.run(login);
}

bool pin_login_ui_t::run_new_pin(std::u16string& pin) {
    new_pin_form_t form(device_, parent_);
    startup_trace::mark_next_paint(&form, "PIN dialog shown");
    return form.run(pin);
}

void pin_login_ui_t::show_error(const std::u16string& text) {
    message_box_t::show(parent_, message_box_t::icon_t::error, QString::fromStdU16String(text));
}
