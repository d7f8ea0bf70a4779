#include "platform/instance/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

QString runtime_folder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) return QString::fromLocal8Bit(runtime);
    return QDir::tempPath();
}

// The name as a file name: letters, digits, "-" and "_" kept, everything else "_".
QString file_name_of(const QString& name) {
    QString out;
    for (QChar c : name) out += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' ? c : QChar(u'_');
    return out;
}

constexpr qint64 max_ping_length = 1024;

QByteArray ping_text(const QString& name) {
    return "ping " + name.toUtf8() + "\n";
}

}  // namespace

single_instance_t::single_instance_t(const QString& name)
    : name_(name),
      socket_path_(runtime_folder() + u'/' + file_name_of(name) + QStringLiteral(".socket")),
      lock_(runtime_folder() + u'/' + file_name_of(name) + QStringLiteral(".lock")) {
    // A lock is stale only when its process is gone; a live copy keeps it however long it runs.
    lock_.setStaleLockTime(0);
    connect(&server_, &QLocalServer::newConnection, this, [this] { answer(); });
}

single_instance_t::~single_instance_t() {
    server_.close();
    if (lock_.isLocked()) lock_.unlock();
}

bool single_instance_t::claim() {
    if (!lock_.tryLock(0)) return false;
    // A socket left by a copy that crashed would refuse the listen.
    QLocalServer::removeServer(socket_path_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(socket_path_);
    return true;
}

bool single_instance_t::ping_running(int timeout_ms) {
    QLocalSocket socket;
    socket.connectToServer(socket_path_);
    if (!socket.waitForConnected(timeout_ms)) return false;
    socket.write(ping_text(name_));
    if (!socket.waitForBytesWritten(timeout_ms)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeout_ms)) return false;
    return socket.readLine() == ping_text(name_);
}

void single_instance_t::answer() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto reply = [this, socket] {
            if (!socket->canReadLine()) {
                // A ping is one short line; anything longer is not one.
                if (socket->bytesAvailable() > max_ping_length) socket->abort();
                return;
            }
            const bool ping = socket->readLine() == ping_text(name_);
            if (!ping) {
                socket->disconnectFromServer();
                return;
            }
            socket->write(ping_text(name_));
            socket->flush();
            emit pinged();
        };
        connect(socket, &QLocalSocket::readyRead, this, reply);
        reply();
    }
}
