// The ModemManager backend against a stand-in: python3-dbusmock with our own template (modem_manager_template.py)
// on a private bus that this test starts and names as the system bus. One table of cases: what leaves, what the
// user is told when a send fails or the bus goes, what is taken from ModemManager and what stays, and what the
// ledger remembers across restarts of the program and of ModemManager.
#include "platform/modem_manager/mm_backend.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <future>
#include <mutex>

#include "platform/modem_manager/mm_send_error.h"
#include "resources/texts.h"

namespace {

constexpr char bank_number[] = "+79001234567";
const std::u16string bank_marker = u"APP_PORT=2201";

sms_intake_t bank_only(const std::u16string& text) {
    return text.find(bank_marker) != std::u16string::npos ? sms_intake_t::take : sms_intake_t::leave;
}
sms_intake_t keep_bank(const std::u16string& text) {
    return text.find(bank_marker) != std::u16string::npos ? sms_intake_t::keep : sms_intake_t::leave;
}

sms_outgoing_t request(std::u16string text) {
    sms_outgoing_t message;
    message.address = u"+79001234567";
    message.text = std::move(text);
    message.port = 7;
    message.message_class = 1;
    return message;
}

}  // namespace

class mm_backend_test : public QObject {
    Q_OBJECT

    QProcess bus_;
    std::unique_ptr<QProcess> mock_;
    QTemporaryDir dir_;
    int modem_number_ = 0;

    struct run_t {
        std::unique_ptr<mm_backend_t> backend;
        std::mutex mutex;
        std::vector<std::u16string> notices;
        std::vector<std::string> warnings;
        std::atomic<int> arrivals{0};

        std::vector<std::u16string> notices_seen() {
            std::lock_guard lock(mutex);
            return notices;
        }
        size_t warnings_with(const std::string& part) {
            std::lock_guard lock(mutex);
            return size_t(std::count_if(warnings.begin(), warnings.end(),
                                        [&](const std::string& w) { return w.find(part) != std::string::npos; }));
        }
    };

    QString log_file() const { return dir_.filePath("sent.log"); }
    std::filesystem::path ledger_file() const { return dir_.filePath("sms.ledger").toStdString(); }

    // ModemManager (the stand-in) on the bus; each start numbers its objects anew, as a restart of the real one.
    bool start_mock(QJsonObject parameters = {}) {
        parameters.insert("modem", modem_number_++);
        parameters.insert("log", log_file());
        mock_ = std::make_unique<QProcess>();
        mock_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock_->start(qEnvironmentVariable("OSTREVAN_PYTHON", "/usr/bin/python3"),
                     {"-m", "dbusmock", "--system", "--template", template_path(), "-p",
                      QString::fromUtf8(QJsonDocument(parameters).toJson(QJsonDocument::Compact))});
        return mock_->waitForStarted() &&
               QTest::qWaitFor(
                   [] { return QDBusConnection::systemBus().interface()->isServiceRegistered(mm::service); }, 20000);
    }
    void stop_mock() {
        if (!mock_) return;
        mock_->kill();
        mock_->waitForFinished();
        mock_.reset();
        QVERIFY(QTest::qWaitFor(
            [] { return !QDBusConnection::systemBus().interface()->isServiceRegistered(mm::service); }, 10000));
    }
    static QString template_path() {
        return qEnvironmentVariable("OSTREVAN_SOURCE_DIR") + "/tests/modem_manager/modem_manager_template.py";
    }

    QDBusMessage control(const QString& method, const QVariantList& args = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(mm::service, mm::root_path, "org.freedesktop.DBus.Mock", method);
        call.setArguments(args);
        return QDBusConnection::systemBus().call(call);
    }
    QString receive(const QString& number, const QString& text, bool whole = true,
                    const QString& timestamp = "2026-12-11T10:00:00+03:00") {
        const QDBusMessage reply = control("Receive", {number, text, timestamp, whole});
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    // The Sms objects ModemManager holds: their texts.
    QStringList held_texts() {
        QStringList texts;
        const QDBusMessage call =
            QDBusMessage::createMethodCall(mm::service, mm::root_path, mm::object_manager, "GetManagedObjects");
        const QDBusMessage reply = QDBusConnection::systemBus().call(call);
        const QDBusArgument objects = reply.arguments().value(0).value<QDBusArgument>();
        objects.beginMap();
        while (!objects.atEnd()) {
            QDBusObjectPath path;
            QMap<QString, QVariantMap> interfaces;
            objects.beginMapEntry();
            objects >> path >> interfaces;
            objects.endMapEntry();
            if (interfaces.contains(mm::sms_interface))
                texts << interfaces.value(mm::sms_interface).value("Text").toString();
        }
        objects.endMap();
        return texts;
    }
    QStringList sent_lines() {
        QFile file(log_file());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    std::unique_ptr<run_t> start_backend(sms_intake_filter_t intake = bank_only,
                                         std::function<void(mm_options_t&)> adjust = nullptr) {
        auto run = std::make_unique<run_t>();
        mm_options_t options;
        options.ledger_file = ledger_file();
        options.intake = std::move(intake);
        options.absent_notice_after = std::chrono::milliseconds(300);
        options.warn = [r = run.get()](const std::string& text) {
            std::lock_guard lock(r->mutex);
            r->warnings.push_back(text);
        };
        if (adjust) adjust(options);
        run->backend = std::make_unique<mm_backend_t>(options);
        run->backend->on_notice([r = run.get()](const std::u16string& notice) {
            std::lock_guard lock(r->mutex);
            r->notices.push_back(notice);
        });
        run->backend->on_new_messages([r = run.get()] { ++r->arrivals; });
        run->backend->start();
        return run;
    }
    // Sends on another thread, as the program does, while this one keeps the test's bus going.
    static send_result_t send(mm_backend_t& backend, const sms_outgoing_t& message) {
        auto done = std::async(std::launch::async, [&] { return backend.send(message); });
        (void)QTest::qWaitFor([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                              60000);
        return done.get();
    }
    static std::vector<std::u16string> texts_of(sms_ledger_t& ledger) {
        std::vector<std::u16string> texts;
        for (const auto& m : ledger.messages()) texts.push_back(m.text);
        return texts;
    }

private slots:
    void initTestCase() {
        const QString python = qEnvironmentVariable("OSTREVAN_PYTHON", "/usr/bin/python3");
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            QSKIP("dbus-daemon is not installed (Debian package dbus; scripts/install-deps installs it)");
        if (QProcess::execute(python, {"-c", "import dbusmock"}) != 0)
            QSKIP("python3-dbusmock is not installed for /usr/bin/python3 (scripts/install-deps installs it)");
        QVERIFY(dir_.isValid());
        // A bus of our own, as the system bus of this test.
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        QVERIFY2(bus_.waitForStarted() && bus_.waitForReadyRead(10000), "dbus-daemon did not start");
        const QByteArray address = bus_.readLine().trimmed();
        QVERIFY(!address.isEmpty());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        QVERIFY(QDBusConnection::systemBus().isConnected());
    }

    void cleanupTestCase() {
        if (mock_) {
            mock_->kill();
            mock_->waitForFinished();
        }
        bus_.kill();
        bus_.waitForFinished();
    }

    void init() {
        QFile::remove(log_file());
        QFile::remove(QString::fromStdString(ledger_file().string()));
    }
    void cleanup() { stop_mock(); }

    // What an error of Send says about the message.
    void send_errors_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("outcome");
        const int not_sent = int(send_outcome_t::not_sent), unknown = int(send_outcome_t::unknown);
        QTest::newRow("no ModemManager") << "org.freedesktop.DBus.Error.ServiceUnknown" << not_sent;
        QTest::newRow("modem not enabled") << "org.freedesktop.ModemManager1.Error.Core.WrongState" << not_sent;
        QTest::newRow("no network") << "org.freedesktop.ModemManager1.Error.Message.NoNetwork" << not_sent;
        QTest::newRow("SIM PIN") << "org.freedesktop.ModemManager1.Error.Message.SimPin" << not_sent;
        QTest::newRow("network time-out") << "org.freedesktop.ModemManager1.Error.Message.NetworkTimeout" << unknown;
        QTest::newRow("modem's unknown error") << "org.freedesktop.ModemManager1.Error.Message.Unknown" << unknown;
        QTest::newRow("serial time-out") << "org.freedesktop.ModemManager1.Error.Serial.ResponseTimeout" << unknown;
        QTest::newRow("failed") << "org.freedesktop.ModemManager1.Error.Core.Failed" << unknown;
        QTest::newRow("bus time-out") << "org.freedesktop.DBus.Error.Timeout" << unknown;
        QTest::newRow("no reply") << "org.freedesktop.DBus.Error.NoReply" << unknown;
        QTest::newRow("bus lost") << "org.freedesktop.DBus.Error.Disconnected" << unknown;
        QTest::newRow("something new") << "org.example.Error.Whatever" << unknown;
    }
    void send_errors() {
        QFETCH(QString, name);
        QFETCH(int, outcome);
        QCOMPARE(int(mm_send_error_outcome(name.toStdString())), outcome);
    }

    // ---- the cases ----

    void cases_data() {
        QTest::addColumn<int>("which");
        const char* names[] = {"a request leaves once, class 1, its text as composed",
                               "a refused send is not sent",
                               "an ambiguous error is unknown",
                               "a send that hangs is unknown and not sent again",
                               "the bus lost after Send: unknown, nothing resent, the modem found again",
                               "a bank answer is taken once and deleted only when the ledger keeps it",
                               "a message arriving in parts is taken whole",
                               "a stranger's message stays",
                               "a restart of the program or of ModemManager shows nothing again",
                               "a locked SIM at start is told",
                               "a disabled modem is told",
                               "a modem not registered is told",
                               "no ModemManager on the bus is told",
                               "a bank answer stays in ModemManager while the ledger cannot be written"};
        for (int i = 0; i < int(std::size(names)); ++i) QTest::newRow(names[i]) << i;
    }

    void cases() {
        QFETCH(int, which);
        switch (which) {
            case 0: {
                QVERIFY(start_mock());
                auto run = start_backend();
                const send_result_t first = send(*run->backend, request(u"{7}BAL;;ver=w2.17"));
                QCOMPARE(int(first.outcome), int(send_outcome_t::sent));
                QCOMPARE(sent_lines(), QStringList{"SEND 1 +79001234567 {7}BAL;;ver=w2.17"});
                QVERIFY(send(*run->backend, request(u"{7}HIST;;ver=w2.17")).ok());
                QCOMPARE(sent_lines().size(), 2);
                // Our sent objects are gone from ModemManager; the port header is told once a run.
                QVERIFY(QTest::qWaitFor([&] { return held_texts().isEmpty(); }, 10000));
                QCOMPARE(run->warnings_with("application-port header"), size_t(1));
                break;
            }
            case 1:
            case 2: {
                QVERIFY(start_mock());
                control("SetSendMode",
                        {which == 1 ? "fail:org.freedesktop.ModemManager1.Error.Message.NoNetwork"
                                    : "fail:org.freedesktop.ModemManager1.Error.Message.NetworkTimeout"});
                auto run = start_backend();
                const send_result_t result = send(*run->backend, request(u"{7}BAL;;ver=w2.17"));
                QCOMPARE(int(result.outcome), int(which == 1 ? send_outcome_t::not_sent : send_outcome_t::unknown));
                QVERIFY(sent_lines().isEmpty());
                break;
            }
            case 3: {
                QVERIFY(start_mock({{"send", "hang:3"}}));
                auto run = start_backend(
                    bank_only, [](mm_options_t& o) { o.send_wait_per_part = std::chrono::milliseconds(500); });
                const send_result_t result = send(*run->backend, request(u"{7}PAY OP2 4276123456781234 15050"));
                QCOMPARE(int(result.outcome), int(send_outcome_t::unknown));
                // The stand-in answers at last; the backend never tries again by itself.
                control("SetSendMode", {"ok"});
                QCOMPARE(sent_lines().size(), 1);
                QVERIFY(send(*run->backend, request(u"{7}BAL;;ver=w2.17")).ok());
                QCOMPARE(sent_lines().size(), 2);
                break;
            }
            case 4: {
                QVERIFY(start_mock({{"send", "vanish"}}));
                auto run = start_backend();
                const send_result_t result = send(*run->backend, request(u"{7}PAY OP2 4276123456781234 15050"));
                QCOMPARE(int(result.outcome), int(send_outcome_t::unknown));
                QCOMPARE(sent_lines().size(), 1);
                mock_->waitForFinished();
                mock_.reset();
                // ModemManager comes back with new object paths: found again, and the next request goes out.
                QVERIFY(start_mock());
                QVERIFY(send(*run->backend, request(u"{7}BAL;;ver=w2.17")).ok());
                const QStringList lines = sent_lines();
                QCOMPARE(lines.size(), 2);
                QVERIFY2(lines[1].endsWith("BAL;;ver=w2.17"), qPrintable(lines.join('|')));
                break;
            }
            case 5: {
                QVERIFY(start_mock());
                auto run = start_backend();
                receive(bank_number, "Баланс карты: 100,00 руб. APP_PORT=2201");
                QVERIFY(QTest::qWaitFor([&] { return held_texts().isEmpty(); }, 10000));
                // Gone from ModemManager: the ledger on disk has it.
                sms_ledger_t on_disk(ledger_file());
                QCOMPARE(texts_of(on_disk), std::vector<std::u16string>{u"Баланс карты: 100,00 руб. APP_PORT=2201"});
                QCOMPARE(texts_of(run->backend->ledger()).size(), size_t(1));
                QVERIFY(run->arrivals >= 1);
                break;
            }
            case 6: {
                QVERIFY(start_mock());
                auto run = start_backend();
                const QString path = receive(bank_number, "Выписка: 09.12 -500,00 руб.;", false);
                QVERIFY(!path.isEmpty());
                const QString whole = "Выписка: 09.12 -500,00 руб.; 08.12 +15 000,00 руб. APP_PORT=2201";
                control("Complete", {QVariant::fromValue(QDBusObjectPath(path)), whole});
                QVERIFY(QTest::qWaitFor([&] { return held_texts().isEmpty(); }, 10000));
                QCOMPARE(texts_of(run->backend->ledger()), std::vector<std::u16string>{whole.toStdU16String()});
                break;
            }
            case 7: {
                QVERIFY(start_mock());
                auto run = start_backend();
                receive("+79990000000", "Привет, это не банк");
                receive(bank_number, "Баланс карты: 1,00 руб. APP_PORT=2201");
                QVERIFY(QTest::qWaitFor([&] { return held_texts() == QStringList{"Привет, это не банк"}; }, 10000));
                QCOMPARE(texts_of(run->backend->ledger()).size(), size_t(1));
                break;
            }
            case 8: {
                const QString text = "Баланс карты: 7,00 руб. APP_PORT=2201";
                const QJsonArray stored{QJsonArray{bank_number, text, "2026-12-11T09:00:00+03:00"}};
                QVERIFY(start_mock({{"messages", stored}}));
                {
                    // A tool that only looks: recorded, and left in ModemManager.
                    auto run = start_backend(keep_bank);
                    QVERIFY(QTest::qWaitFor([&] { return run->backend->ledger().messages().size() == 1; }, 10000));
                    QVERIFY(run->backend->ledger().set_read(run->backend->ledger().messages()[0].id));
                }
                const auto again = [&] {
                    auto run = start_backend(keep_bank);
                    // A message sent after it shows that the stored one was looked at by now.
                    receive(bank_number, "Маркер APP_PORT=2201", true, "2026-12-11T11:00:00+03:00");
                    QVERIFY(QTest::qWaitFor([&] { return run->backend->ledger().messages().size() >= 2; }, 10000));
                    QCOMPARE(run->backend->ledger().messages().size(), size_t(2));
                    QVERIFY(run->backend->ledger().messages()[0].read);
                };
                again();  // the program again
                stop_mock();
                QVERIFY(start_mock({{"messages", stored}}));  // ModemManager again, the message under a new path
                again();
                break;
            }
            case 9:
            case 10:
            case 11: {
                const int state = which == 9    ? mm::modem_state_locked
                                  : which == 10 ? mm::modem_state_disabled
                                                : mm::modem_state_searching;
                QVERIFY(start_mock({{"state", state}, {"lock", which == 9 ? int(mm::lock_sim_pin) : 1}}));
                auto run = start_backend();
                const std::u16string expected = which == 9    ? texts::modem_sim_pin
                                                : which == 10 ? texts::mm_modem_disabled
                                                              : texts::modem_not_registered;
                QVERIFY(QTest::qWaitFor([&] { return !run->notices_seen().empty(); }, 10000));
                QCOMPARE(run->notices_seen(), std::vector<std::u16string>{expected});
                break;
            }
            case 12: {
                auto run = start_backend();
                QVERIFY(QTest::qWaitFor([&] { return !run->notices_seen().empty(); }, 10000));
                QCOMPARE(run->notices_seen(), std::vector<std::u16string>{texts::mm_not_running});
                // ModemManager starting late is found, and sends go out.
                QVERIFY(start_mock());
                QVERIFY(send(*run->backend, request(u"{7}BAL;;ver=w2.17")).ok());
                break;
            }
            case 13: {
                // The ledger's folder is a file: nothing can be written there.
                QFile blocker(dir_.filePath("blocked"));
                QVERIFY(blocker.open(QIODevice::WriteOnly));
                blocker.close();
                QVERIFY(start_mock());
                auto run = start_backend(bank_only, [&](mm_options_t& o) {
                    o.ledger_file = dir_.filePath("blocked/sms.ledger").toStdString();
                });
                receive(bank_number, "Баланс карты: 3,00 руб. APP_PORT=2201");
                QVERIFY(QTest::qWaitFor([&] { return run->warnings_with("stays in ModemManager") == 1; }, 10000));
                QCOMPARE(held_texts(), QStringList{"Баланс карты: 3,00 руб. APP_PORT=2201"});
                blocker.remove();
                break;
            }
        }
    }
};

QTEST_GUILESS_MAIN(mm_backend_test)
#include "mm_backend_test.moc"
