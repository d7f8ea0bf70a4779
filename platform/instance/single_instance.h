#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QSocketNotifier;

// One running copy per user: a lock file and a local socket named after the single-instance name, in
// $XDG_RUNTIME_DIR (else the temporary folder). The first copy holds the lock and answers pings on the socket;
// a later copy pings it and ends. The lock of a copy that crashed is taken over, since its process is gone.
// The socket is a plain Unix-domain one watched by the event loop: no network library is loaded at start for it.
class single_instance_t : public QObject {
    Q_OBJECT

public:
    explicit single_instance_t(const QString& name);
    ~single_instance_t() override;

    // True when this is the first copy: the lock is held and pings are answered from now on.
    bool claim();
    // Sends a ping to the running copy and waits at most `timeout_ms` for its answer; true when it answered.
    bool ping_running(int timeout_ms);

    QString socket_path() const { return socket_path_; }

signals:
    // A later copy pinged this one (already answered).
    void pinged();

private:
    struct caller_t;
    void accept_callers();
    void read_caller(caller_t& caller);
    void drop_caller(const caller_t& caller);

    QString name_;
    QString socket_path_;
    QLockFile lock_;
    int listener_ = -1;
    QSocketNotifier* listening_ = nullptr;
    std::vector<std::unique_ptr<caller_t>> callers_;
};
