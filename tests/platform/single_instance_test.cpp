// The single-instance lock: one holder at a time, and the lock of a copy that crashed does not stop the next start.
#include "platform/instance/single_instance.h"

#include <QLocalSocket>
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

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(single_instance_test)
#include "single_instance_test.moc"
