// The modem starts on its own thread: a slow modem does not hold back the PIN dialog, and what its start finds
// reaches the user in a message box once the start of the program is over.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "resources/texts.h"
#include "tests/app/app_fixture.h"

namespace {

// A modem behind a TCP port that answers nothing until it is let, then "OK" to every command, but its SIM waits for
// the PIN.
class held_modem_t : public QObject {
public:
    held_modem_t() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* next = server_.nextPendingConnection()) {
                socket_ = next;
                connect(socket_, &QTcpSocket::readyRead, this, [this] {
                    input_ += socket_->readAll();
                    answer();
                });
            }
        });
    }
    QString uri() const { return "tcp:127.0.0.1:" + QString::number(server_.serverPort()); }
    bool answered_anything() const { return answered_; }
    void let() {
        let_ = true;
        answer();
    }

private:
    void answer() {
        if (!let_ || !socket_) return;
        for (qsizetype end; (end = input_.indexOf('\r')) >= 0; input_.remove(0, end + 1)) {
            const QByteArray command = input_.left(end).trimmed();
            if (command.isEmpty()) continue;
            socket_->write(command == "AT+CPIN?" ? "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n" : "\r\nOK\r\n");
            answered_ = true;
        }
    }

    QTcpServer server_;
    QTcpSocket* socket_ = nullptr;
    QByteArray input_;
    bool let_ = false;
    bool answered_ = false;
};

}  // namespace

class modem_start_test : public QObject {
    Q_OBJECT

private slots:
    void the_pin_dialog_comes_before_the_modem_answers_and_its_findings_are_shown_after() {
        for (const char* platform : {"Smartphone", "PocketPC"}) {
            app_fixture_t f;
            held_modem_t modem;
            app_options_t options;
            options.config_dir = f.config.string();
            options.registry = f.registry.string();
            options.platform_type = platform;
            options.modem = modem.uri().toStdString();
            bool modem_had_answered = true;
            dialog_driver_t driver;
            driver.then([&](QDialog* d) {
                modem_had_answered = modem.answered_anything();
                modem.let();
                set_new_pin("1234")(d);
            });
            auto app = std::make_unique<CKestrelpodApp>(options);
            QVERIFY(app->init_instance());
            QVERIFY2(!modem_had_answered, "the PIN dialog waited for the modem");
            // Nothing about the modem is shown over the PIN dialog: it comes once the start is over.
            QVERIFY(message_box_t::record().isEmpty());
            message_box_t::set_next_answer(QMessageBox::Ok);
            QTRY_COMPARE_WITH_TIMEOUT(message_box_t::record().size(), 1, 60000);
            QCOMPARE(box_texts(), QStringList{QString::fromUtf16(texts::modem_sim_pin)});
            QCOMPARE(message_box_t::record()[0].icon, message_box_t::icon_t::error);
            message_box_t::clear_record();
            app->exit_instance();
        }
    }
};

QTEST_MAIN(modem_start_test)
#include "modem_start_test.moc"
