// The single-instance lock: one holder at a time, and the lock of a copy that crashed does not stop the next start.
#include "platform/instance/single_instance.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

class single_instance_test : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
    }

    void one_holder_at_a_time() {
        auto first = std::make_unique<single_instance_t>("Quillantora {test}");
        QVERIFY(first->claim());
        single_instance_t second("Quillantora {test}");
        QVERIFY(!second.claim());
        first.reset();
        QVERIFY(second.claim());
    }

    void the_lock_of_a_crashed_copy_is_taken_over() {
        // What a copy leaves when it is killed: its lock file naming a process that no longer exists, and its socket.
        const QString lock = dir_.path() + "/Quillantora__crashed_.lock";
        QFile file(lock);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("2147483646\nostrevan\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        file.close();
        QFile socket(dir_.path() + "/Quillantora__crashed_.socket");
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();
        single_instance_t next("Quillantora {crashed}");
        QVERIFY(next.claim());
        // It listens again where the old socket was.
        QLocalSocket client;
        client.connectToServer(next.socket_path());
        QVERIFY(client.waitForConnected(5000));
    }

    void a_later_copy_is_answered_and_the_first_is_told() {
        single_instance_t first("Quillantora {ping}");
        QVERIFY(first.claim());
        QSignalSpy pinged(&first, &single_instance_t::pinged);
        // What a later copy sends, as another program would: one line, and the same line back.
        QLocalSocket later;
        later.connectToServer(first.socket_path());
        QVERIFY(later.waitForConnected(5000));
        later.write("ping Quillantora {ping}\n");
        QTRY_VERIFY_WITH_TIMEOUT(later.canReadLine(), 5000);
        QCOMPARE(later.readLine(), QByteArray("ping Quillantora {ping}\n"));
        QCOMPARE(pinged.size(), 1);
        // The socket is the user's alone.
        QCOMPARE(QFile::permissions(first.socket_path()) &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());

        // Another name, or a line that never ends, is no ping: nothing is answered and nobody is told.
        for (const QByteArray& said : {QByteArray("ping Другая программа\n"), QByteArray(4096, 'x')}) {
            QLocalSocket stranger;
            stranger.connectToServer(first.socket_path());
            QVERIFY(stranger.waitForConnected(5000));
            stranger.write(said);
            QTRY_COMPARE_WITH_TIMEOUT(stranger.state(), QLocalSocket::UnconnectedState, 5000);
            QCOMPARE(stranger.bytesAvailable(), 0);
        }
        QCOMPARE(pinged.size(), 1);
    }

    void a_ping_nobody_answers_fails() {
        single_instance_t lonely("Quillantora {nobody}");
        QVERIFY(!lonely.ping_running(200));
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(single_instance_test)
#include "single_instance_test.moc"
