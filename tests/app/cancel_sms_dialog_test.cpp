#include "app/cancel_sms_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <thread>

#include "messaging/ppc_messaging.h"
#include "resources/texts.h"
#include "tests/messaging/fake_sms.h"
#include "tests/messaging/fake_store.h"

namespace {

// Runs `action` on the GUI thread once the modal loop of the dialog now being shown is running.
void when_shown(std::function<void(cancel_sms_dialog_t&)> action) {
    QTimer::singleShot(0, [action] {
        if (auto* dialog = qobject_cast<cancel_sms_dialog_t*>(QApplication::activeModalWidget())) action(*dialog);
    });
}

QPushButton* cancel_button(cancel_sms_dialog_t& dialog) {
    return dialog.findChild<QPushButton*>();
}

}  // namespace

class cancel_sms_dialog_test : public QObject {
    Q_OBJECT

private slots:
    void shows_its_texts_centred_and_the_button_cancels() {
        cancel_sms_dialog_t dialog;
        QString title, label, button_text;
        int control_id = 0;
        QPoint centre;
        when_shown([&](cancel_sms_dialog_t& d) {
            title = d.windowTitle();
            label = d.findChild<QLabel*>()->text();
            QPushButton* button = cancel_button(d);
            button_text = button->text();
            control_id = button->property("control_id").toInt();
            centre = d.frameGeometry().center();
            QTest::mouseClick(button, Qt::LeftButton);
        });
        QCOMPARE(dialog.run(), false);
        QCOMPARE(title, QString::fromUtf16(texts::sending_title));
        QCOMPARE(label, QString::fromUtf16(texts::sending_label));
        QCOMPARE(button_text, QString::fromUtf16(texts::sending_cancel));
        QCOMPARE(control_id, 1012);
        const QPoint desktop = QGuiApplication::primaryScreen()->geometry().center();
        QVERIFY(std::abs(centre.x() - desktop.x()) <= 1);
        QVERIFY(std::abs(centre.y() - desktop.y()) <= 1);
    }

    void escape_cancels() {
        cancel_sms_dialog_t dialog;
        when_shown([](cancel_sms_dialog_t& d) { QTest::keyClick(&d, Qt::Key_Escape); });
        QCOMPARE(dialog.run(), false);
    }

    void worker_thread_ends_it() {
        for (bool success : {true, false}) {
            cancel_sms_dialog_t dialog;
            std::thread worker;
            when_shown([&](cancel_sms_dialog_t& d) {
                worker = std::thread([&d, success] { success ? d.end_success() : d.end_cancel(); });
            });
            QCOMPARE(dialog.run(), success);
            worker.join();
        }
    }

    void worker_ending_it_before_it_is_initialised_waits() {
        for (bool success : {true, false}) {
            cancel_sms_dialog_t dialog;
            // The worker is already waiting on the dialog's ready lock when the dialog starts.
            std::thread worker([&dialog, success] { success ? dialog.end_success() : dialog.end_cancel(); });
            QCOMPARE(dialog.run(), success);
            worker.join();
        }
    }

    void messaging_sends_with_the_dialog() {
        fake_store_t store;
        fake_provider_t provider;
        latch_t release;
        ppc_messaging_t messaging(provider.library(), store, [] { return std::make_unique<cancel_sms_dialog_t>(); });
        messaging.set_number(u"+79001234567");
        messaging.set_text(u"BAL");
        QCOMPARE(messaging.send(), true);

        provider.while_sending = [&] { release.wait(); };
        when_shown([](cancel_sms_dialog_t& d) { QTest::mouseClick(cancel_button(d), Qt::LeftButton); });
        QCOMPARE(messaging.send(), false);
        release.open();
    }
};

QTEST_MAIN(cancel_sms_dialog_test)
#include "cancel_sms_dialog_test.moc"
