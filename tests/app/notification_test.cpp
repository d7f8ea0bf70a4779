// Bank messages announced on the desktop: against the freedesktop notification service mocked on a private
// session bus started here, a bank message that arrives while the main window is not in front sends one
// notification, one that arrives while it is in front none, and a click on the notification brings the window
// forward.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QTest>

#include "app/desktop_notifier.h"
#include "app/main_frame.h"
#include "platform/registry/bank_queue.h"
#include "tests/app/app_fixture.h"

class notification_test : public QObject {
    Q_OBJECT

    QProcess bus_, mock_;
    QString calls_;  // what the mock logged: one line per method call

    // The Notify calls the mock received so far.
    QStringList notify_calls() {
        calls_ += QString::fromUtf8(mock_.readAllStandardOutput());
        QStringList found;
        for (const QString& line : calls_.split('\n'))
            if (line.contains(" Notify ")) found << line;
        return found;
    }

private slots:
    void initTestCase() {
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY2(bus_.waitForStarted() && bus_.waitForReadyRead(10000), "dbus-daemon (Debian dbus) did not start");
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        // The mock logs each call on its standard output.
        mock_.start(qEnvironmentVariable("OSTREVAN_PYTHON", "python3"),
                    {"-m", "dbusmock", "--template", "notification_daemon"});
        QVERIFY2(mock_.waitForStarted(), "python3-dbusmock did not start");
        QVERIFY2(
            QTest::qWaitFor(
                [] {
                    return QDBusConnection::sessionBus().interface()->isServiceRegistered(desktop_notifier_t::service);
                },
                10000),
            "the notification service did not appear on the bus");
    }

    void cleanupTestCase() {
        mock_.kill();
        mock_.waitForFinished();
        bus_.kill();
        bus_.waitForFinished();
    }

    void announced_only_while_the_window_is_not_in_front_and_a_click_brings_it_forward() {
        app_fixture_t f;
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        std::unique_ptr<CKestrelpodApp> app = f.make("PocketPC");
        QVERIFY(app->init_instance());
        QWidget other;
        other.show();
        auto bank_says = [&](const std::u16string& text, QMessageBox::StandardButton answer) {
            QVERIFY(queue_bank_text(f.registry, text));
            message_box_t::set_next_answer(answer);
            app->replay_queued();
        };

        QApplication::setActiveWindow(&other);
        bank_says(u"Balance-one 100 APP_PORT=2201", QMessageBox::Ok);
        QVERIFY(QTest::qWaitFor([&] { return notify_calls().size() == 1; }, 10000));
        QVERIFY2(notify_calls()[0].contains("Balance-one 100"), qPrintable(notify_calls()[0]));

        QApplication::setActiveWindow(app->frame());
        QVERIFY(app->frame()->isActiveWindow());
        bank_says(u"Balance-two 200 APP_PORT=2201", QMessageBox::Ok);

        // A confirmation request while another window is in front; the call after the one not made shows that
        // none was made.
        QApplication::setActiveWindow(&other);
        bank_says(u"Confirm-three CFM123456 APP_PORT=2201", QMessageBox::No);
        QVERIFY(QTest::qWaitFor([&] { return notify_calls().size() == 2; }, 10000));
        QVERIFY2(notify_calls()[1].contains("Confirm-three CFM123456"), qPrintable(notify_calls()[1]));
        QVERIFY(!calls_.contains("Balance-two"));
        QCOMPARE(notify_calls().size(), 2);

        // The user clicks the second notification (the mock numbers them from 1).
        QVERIFY(!app->frame()->isActiveWindow());
        QDBusMessage click = QDBusMessage::createMethodCall(desktop_notifier_t::service, desktop_notifier_t::path,
                                                            "org.freedesktop.DBus.Mock", "EmitSignal");
        click << QString("org.freedesktop.Notifications") << QString("ActionInvoked") << QString("us")
              << QVariantList{QVariant::fromValue(uint(2)), QString("default")};
        QVERIFY(QDBusConnection::sessionBus().call(click).type() != QDBusMessage::ErrorMessage);
        QVERIFY(QTest::qWaitFor([&] { return app->frame()->isActiveWindow(); }, 10000));
        app->exit_instance();
    }
};

QTEST_MAIN(notification_test)
#include "notification_test.moc"
