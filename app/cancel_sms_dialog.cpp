#include "app/cancel_sms_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>

#include "resources/texts.h"

cancel_sms_dialog_t::cancel_sms_dialog_t() {
    setWindowTitle(QString::fromUtf16(texts::sending_title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf16(texts::sending_label), this));
    cancel_ = new QPushButton(QString::fromUtf16(texts::sending_cancel), this);
    cancel_->setProperty("control_id", cancel_button_id);
    layout->addWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, this, [this] { end_cancel(); });
    setModal(true);
}

void cancel_sms_dialog_t::exec_modal() {
    exec();
}

void cancel_sms_dialog_t::close_modal(bool sent) {
    const int result = sent ? QDialog::Accepted : QDialog::Rejected;
    if (QThread::currentThread() == thread()) {
        done(result);
        return;
    }
    // A dialog deleted before the call is run drops it with its other posted events.
    QMetaObject::invokeMethod(
        this, [this, result] { done(result); }, Qt::QueuedConnection);
}

void cancel_sms_dialog_t::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // The whole window, frame included, is centred on the desktop.
        const QRect desktop = screen->geometry();
        const QSize size = frameGeometry().size();
        move(desktop.left() + (desktop.width() - size.width()) / 2,
             desktop.top() + (desktop.height() - size.height()) / 2);
    }
    initialised();
}

void cancel_sms_dialog_t::reject() {
    end_cancel();
}
