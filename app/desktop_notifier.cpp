#include "app/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <QWidget>

#include "resources/texts.h"

namespace {

constexpr char interface_name[] = "org.freedesktop.Notifications";
constexpr char app_id[] = "org.ostrevan.Ostrevan";

}  // namespace

desktop_notifier_t::desktop_notifier_t(std::function<void()> bring_forward, QObject* parent)
    : QObject(parent), bring_forward_(std::move(bring_forward)) {}

void desktop_notifier_t::listen() {
    // The bus is opened at the first notification, not at start: a program whose window stays in front never
    // touches it.
    if (listening_) return;
    listening_ = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, path, interface_name, "ActionInvoked", this, SLOT(on_action_invoked(uint, QString)));
    bus.connect(service, path, interface_name, "NotificationClosed", this, SLOT(on_closed(uint, uint)));
}

void desktop_notifier_t::bank_message(const QWidget* window, const std::u16string& text, bool confirmation) {
    if (window && window->isActiveWindow()) return;
    listen();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QString body = QString::fromStdU16String(text);
    if (body.size() > max_body) body = body.left(max_body) + QChar(0x2026);
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(app_id));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(confirmation ? 2 : 1));
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface_name, QStringLiteral("Notify"));
    call << QString::fromUtf16(texts::app_name) << uint(0) << QString::fromLatin1(app_id)
         << QString::fromUtf16(confirmation ? texts::notify_confirmation : texts::notify_bank_message)
         // Servers that read markup in the body would take a bank's "<" for a tag.
         << body.toHtmlEscaped() << QStringList{QStringLiteral("default"), QString::fromUtf16(texts::notify_open)}
         << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        if (!reply.isError()) shown_.insert(reply.value());
        done->deleteLater();
    });
}

void desktop_notifier_t::on_action_invoked(uint id, const QString& action) {
    if (action == QLatin1String("default") && shown_.contains(id) && bring_forward_) bring_forward_();
}

void desktop_notifier_t::on_closed(uint id, uint) {
    shown_.remove(id);
}
