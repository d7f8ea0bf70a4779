#include "platform/instance/single_instance.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

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

constexpr qsizetype max_ping_length = 1024;

QByteArray ping_text(const QString& name) {
    return "ping " + name.toUtf8() + "\n";
}

// The socket's address; false when the path does not fit one.
bool address_of(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (size_t(bytes.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, bytes.constData(), size_t(bytes.size()));
    return true;
}

// Waits for `events` on `fd` until `deadline`; false on time-out or failure.
bool wait_for(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(std::max<long long>(0, left.count())));
        if (r < 0 && errno == EINTR) continue;
        return r > 0 && (p.revents & events) != 0;
    }
}

}  // namespace

// A later copy connected to the socket, with what it has said so far.
struct single_instance_t::caller_t {
    int fd = -1;
    QSocketNotifier* readable = nullptr;
    QByteArray said;
};

single_instance_t::single_instance_t(const QString& name)
    : name_(name),
      socket_path_(runtime_folder() + u'/' + file_name_of(name) + QStringLiteral(".socket")),
      lock_(runtime_folder() + u'/' + file_name_of(name) + QStringLiteral(".lock")) {
    // A lock is stale only when its process is gone; a live copy keeps it however long it runs.
    lock_.setStaleLockTime(0);
}

single_instance_t::~single_instance_t() {
    while (!callers_.empty()) drop_caller(*callers_.back());
    delete listening_;
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(QFile::encodeName(socket_path_).constData());
    }
    if (lock_.isLocked()) lock_.unlock();
}

bool single_instance_t::claim() {
    if (!lock_.tryLock(0)) return false;
    // A socket left by a copy that crashed would refuse the bind.
    const QByteArray path = QFile::encodeName(socket_path_);
    ::unlink(path.constData());
    sockaddr_un address;
    if (!address_of(socket_path_, address)) return true;  // the lock alone still keeps one copy
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) return true;
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(listener_, 8) != 0) {
        ::close(listener_);
        listener_ = -1;
        return true;
    }
    listening_ = new QSocketNotifier(qintptr(listener_), QSocketNotifier::Read, this);
    connect(listening_, &QSocketNotifier::activated, this, [this] { accept_callers(); });
    return true;
}

bool single_instance_t::ping_running(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    sockaddr_un address;
    if (!address_of(socket_path_, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    auto done = [fd](bool answered) {
        ::close(fd);
        return answered;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN) return done(false);
        int error = 0;
        socklen_t length = sizeof error;
        if (!wait_for(fd, POLLOUT, deadline) || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
            error != 0)
            return done(false);
    }
    const QByteArray ping = ping_text(name_);
    for (qsizetype sent = 0; sent < ping.size();) {
        const ssize_t n = ::send(fd, ping.constData() + sent, size_t(ping.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && wait_for(fd, POLLOUT, deadline)) continue;
        if (n <= 0) return done(false);
        sent += n;
    }
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() <= max_ping_length) {
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && wait_for(fd, POLLIN, deadline)) continue;
        if (n <= 0) return done(false);
        answer.append(buffer, n);
    }
    return done(answer.left(answer.indexOf('\n') + 1) == ping);
}

void single_instance_t::accept_callers() {
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;
        }
        auto caller = std::make_unique<caller_t>();
        caller->fd = fd;
        caller->readable = new QSocketNotifier(qintptr(fd), QSocketNotifier::Read, this);
        caller_t* raw = caller.get();
        connect(caller->readable, &QSocketNotifier::activated, this, [this, raw] { read_caller(*raw); });
        callers_.push_back(std::move(caller));
    }
}

void single_instance_t::read_caller(caller_t& caller) {
    char buffer[256];
    const ssize_t n = ::recv(caller.fd, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n > 0) caller.said.append(buffer, n);
    const qsizetype end = caller.said.indexOf('\n');
    // A ping is one short line; anything longer, or a caller gone before it said one, is not one.
    if (end < 0) {
        if (n <= 0 || caller.said.size() > max_ping_length) drop_caller(caller);
        return;
    }
    const QByteArray ping = ping_text(name_);
    const bool pinged_here = caller.said.left(end + 1) == ping;
    if (pinged_here) ::send(caller.fd, ping.constData(), size_t(ping.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    drop_caller(caller);
    if (pinged_here) emit pinged();
}

void single_instance_t::drop_caller(const caller_t& caller) {
    const auto it = std::find_if(callers_.begin(), callers_.end(), [&](const auto& c) { return c.get() == &caller; });
    if (it == callers_.end()) return;
    // Deleted later (or with this object): this may run inside the notifier's own signal.
    (*it)->readable->setEnabled(false);
    (*it)->readable->deleteLater();
    ::close((*it)->fd);
    callers_.erase(it);
}
