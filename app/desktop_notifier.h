#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <string>

class QWidget;

// A bank message or a confirmation request that arrives while the main window is not the active window is also
// announced on the desktop, through the freedesktop Notifications service on the session bus; clicking the
// notification brings the window forward. Without a session bus or a service nothing happens and nothing waits:
// the call is sent without waiting for its answer. The message box itself is shown as always.
class desktop_notifier_t : public QObject {
    Q_OBJECT

public:
    static constexpr char service[] = "org.freedesktop.Notifications";
    static constexpr char path[] = "/org/freedesktop/Notifications";
    // Longest body sent; a bank text is one or a few SMS, this leaves room.
    static constexpr int max_body = 1000;

    explicit desktop_notifier_t(std::function<void()> bring_forward, QObject* parent = nullptr);

    // Announces `text` when `window` is not active; `confirmation` says it asks for a payment's confirmation.
    void bank_message(const QWidget* window, const std::u16string& text, bool confirmation);

private slots:
    void on_action_invoked(uint id, const QString& action);
    void on_closed(uint id, uint reason);

private:
    void listen();

    std::function<void()> bring_forward_;
    bool listening_ = false;
    // The notifications of ours still shown: only a click on one of them brings the window forward.
    QSet<uint> shown_;
};
