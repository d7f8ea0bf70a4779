#include "ui/ppc/message_box.h"

#include <QQueue>

#include "resources/texts.h"

namespace {

QQueue<QMessageBox::StandardButton>& next_answers() {
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}

QList<message_box_t::record_t>& shown() {
    static QList<message_box_t::record_t> boxes;
    return boxes;
}

}  // namespace

QMessageBox::StandardButton message_box_t::show(QWidget* parent, icon_t icon, const QString& text) {
    shown().append(record_t{icon, text});
    if (!next_answers().isEmpty()) return next_answers().dequeue();

    QMessageBox box(parent);
    box.setWindowTitle(QString::fromUtf16(texts::app_name));
    box.setText(text);
    switch (icon) {
        case icon_t::information:
            box.setIcon(QMessageBox::Information);
            break;
        case icon_t::error:
            box.setIcon(QMessageBox::Critical);
            break;
        case icon_t::warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case icon_t::question:
            box.setIcon(QMessageBox::Question);
            break;
    }
    if (icon == icon_t::question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void message_box_t::set_next_answer(QMessageBox::StandardButton button) {
    next_answers().enqueue(button);
}

void message_box_t::clear_next_answers() {
    next_answers().clear();
}

const QList<message_box_t::record_t>& message_box_t::record() {
    return shown();
}

void message_box_t::clear_record() {
    shown().clear();
}
