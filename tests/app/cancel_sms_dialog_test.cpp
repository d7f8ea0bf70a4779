// The simulated modem first: Qt's "emit" keyword would clash with its own names.
#include "messaging/modem_sms_library.h"
#include "platform/modem/memory_transport.h"
#include "platform/modem/modem_service.h"
#include "platform/modem/sms_provider.h"
#include "sim/sim_modem.h"

// Then Qt and the rest.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/cancel_sms_dialog.h"
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

    void escape_withdraws_a_request_the_modem_has_not_been_given() {
        // Escape while the request waits for the modem: it is not sent and never leaves later, also once the
        // worker goes on. Escape once the modem has it: it may have left.
        for (const bool written : {false, true}) {
            manual_clock_t clock;
            sim_modem_t sim{clock};
            modem_options_t options;
            options.connect = [&]() -> std::unique_ptr<transport_t> {
                return std::make_unique<memory_transport_t>(sim, clock);
            };
            options.clock = &clock;
            modem_service_t service(options);
            QVERIFY(service.connect());
            sms_provider_t provider(service);
            latch_t at_submit, release;
            sms_library_t library = modem_sms_library(provider);
            library.send = [send = library.send, written, &at_submit, &release](
                               sms_handle_t h, const sms_address_record_t& to, std::u16string_view text,
                               const sms_text_provider_data_t& data, uint32_t encoding, uint32_t opts) {
                if (!written) {
                    at_submit.open();
                    release.wait();
                }
                const int32_t result = send(h, to, text, data, encoding, opts);
                if (written) {
                    at_submit.open();
                    release.wait();
                }
                return result;
            };
            fake_store_t store;
            send_outcome_t outcome = send_outcome_t::sent;
            {
                ppc_messaging_t messaging(std::move(library), store,
                                          [] { return std::make_unique<cancel_sms_dialog_t>(); });
                messaging.set_number(u"+79001234567");
                messaging.set_text(u"PAY 100");
                when_shown([&](cancel_sms_dialog_t& d) {
                    at_submit.wait();
                    QTest::keyClick(&d, Qt::Key_Escape);
                });
                outcome = messaging.send_for_outcome();
                release.open();
            }
            QCOMPARE(outcome, written ? send_outcome_t::unknown : send_outcome_t::not_sent);
            QCOMPARE(sim.pdus_received(), written ? size_t(1) : size_t(0));
        }
    }
};

QTEST_MAIN(cancel_sms_dialog_test)
#include "cancel_sms_dialog_test.moc"
