#include "platform/modem_manager/mm_backend.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>
#include <atomic>
#include <deque>
#include <future>

#include "core/text_error.h"
#include "platform/modem_manager/mm_names.h"
#include "platform/modem_manager/mm_send_error.h"
#include "resources/texts.h"

using mm_interfaces_t = QMap<QString, QVariantMap>;
using mm_objects_t = QMap<QDBusObjectPath, mm_interfaces_t>;
Q_DECLARE_METATYPE(mm_interfaces_t)
Q_DECLARE_METATYPE(mm_objects_t)

namespace {

void register_types() {
    static const bool done = [] {
        qDBusRegisterMetaType<mm_interfaces_t>();
        qDBusRegisterMetaType<mm_objects_t>();
        return true;
    }();
    (void)done;
}

QString qs(const char* text) {
    return QString::fromLatin1(text);
}

// The object path of the modem with messaging that `selector` names (its equipment identifier or its path), or
// the first such modem by path when `selector` is empty; empty when there is none. `modem` gets its Modem
// properties.
QString pick_modem(const mm_objects_t& objects, const std::string& selector, QVariantMap* modem) {
    const QString wanted = QString::fromStdString(selector);
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const mm_interfaces_t& interfaces = it.value();
        if (!interfaces.contains(qs(mm::messaging_interface))) continue;
        const QVariantMap properties = interfaces.value(qs(mm::modem_interface));
        if (!wanted.isEmpty() && wanted != it.key().path() &&
            wanted != properties.value(QStringLiteral("EquipmentIdentifier")).toString())
            continue;
        if (modem) *modem = properties;
        return it.key().path();
    }
    return {};
}

// a{sv} of a reply argument, whether Qt demarshalled it already or left it as an argument.
QVariantMap as_map(const QVariant& value) {
    if (value.canConvert<QDBusArgument>()) return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

// The Sms object's texts as the ledger keeps them.
std::u16string u16(const QVariant& value) {
    return value.toString().toStdU16String();
}

// How many parts the request goes out in, by our own encoder; ModemManager splits the same way.
size_t parts_of(const sms_outgoing_t& message) {
    try {
        return std::max<size_t>(1, encode_submit(message).size());
    } catch (const text_error_t&) {
        return 1 + message.text.size() / 67;
    }
}

}  // namespace

// The D-Bus side of the backend: lives on the backend's thread and is touched only there.
class mm_link_t : public QObject {
    Q_OBJECT

public:
    struct job_t {
        sms_outgoing_t message;
        std::shared_ptr<send_control_t> control;
        std::promise<send_result_t> outcome;
        bool started = false;
        bool ended = false;
    };

    explicit mm_link_t(mm_backend_t& owner) : owner_(owner) {
        static std::atomic<int> count{0};
        name_ = QStringLiteral("ostrevan-mm-%1").arg(++count);
    }
    ~mm_link_t() override {
        for (auto& job : jobs_) end(*job, {send_outcome_t::not_sent, "the program is stopping", {}, 0});
        if (active_) end(*active_, {send_outcome_t::unknown, "the program stopped while the message was sent", {}, 1});
        QDBusConnection::disconnectFromBus(name_);
    }

    void begin() {
        register_types();
        health_ = new QTimer(this);
        health_->setInterval(2000);
        connect(health_, &QTimer::timeout, this, [this] {
            if (!bus().isConnected()) reconnect();
        });
        health_->start();
        absent_ = new QTimer(this);
        absent_->setSingleShot(true);
        absent_->setInterval(int(owner_.options_.absent_notice_after.count()));
        connect(absent_, &QTimer::timeout, this, [this] {
            if (!modem_.isEmpty()) return;
            owner_.warn(service_up_ ? "ModemManager has no modem with messaging" : "ModemManager is not on the bus");
            const std::u16string& notice = owner_.options_.absent_notice;
            owner_.tell(!notice.empty() ? notice : service_up_ ? texts::mm_no_modem : texts::mm_not_running);
        });
        reconnect();
    }

    void queue(std::shared_ptr<job_t> job) {
        jobs_.push_back(job);
        QTimer::singleShot(owner_.options_.send_start_wait, this, [this, job] {
            if (job->started || job->ended) return;
            std::erase(jobs_, job);
            end(*job, {send_outcome_t::not_sent, "no modem to send with", {}, 0});
        });
        pump();
    }

    // Drops the queued jobs that were withdrawn.
    void drop_withdrawn() {
        std::erase_if(jobs_, [this](const std::shared_ptr<job_t>& job) {
            if (!job->control->withdrawn()) return false;
            end(*job, {send_outcome_t::not_sent, "withdrawn", {}, 0});
            return true;
        });
    }

    void walk_again() {
        if (!modem_.isEmpty()) list_messages();
    }

private slots:
    void on_signal(const QDBusMessage& message) {
        const QString interface = message.interface();
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        if (interface == qs(mm::object_manager)) {
            // A modem came or went: look again (which keeps the one we have when it is still there).
            const QString path = args.value(0).value<QDBusObjectPath>().path();
            if (member == QLatin1String("InterfacesRemoved") && path == modem_) forget_modem();
            scan();
        } else if (interface == qs(mm::messaging_interface) && member == QLatin1String("Added")) {
            if (message.path() == modem_) fetch_sms(args.value(0).value<QDBusObjectPath>().path());
        } else if (interface == qs(mm::properties) && member == QLatin1String("PropertiesChanged")) {
            const QString changed_interface = args.value(0).toString();
            const QVariantMap changed = as_map(args.value(1));
            if (changed_interface == qs(mm::sms_interface) && receiving_.contains(message.path()) &&
                changed.value(QStringLiteral("State")).toUInt() == mm::sms_state_received)
                fetch_sms(message.path());
            else if (changed_interface == qs(mm::modem_interface) && message.path() == modem_ &&
                     changed.contains(QStringLiteral("State")))
                scan();
        }
    }

    void on_owner_changed(const QString&, const QString&, const QString& owner) {
        service_up_ = !owner.isEmpty();
        forget_modem();
        if (service_up_) {
            owner_.warn("ModemManager is on the bus");
            scan();
        } else {
            owner_.warn("ModemManager left the bus");
            absent_->start();
        }
    }

private:
    QDBusConnection bus() const { return QDBusConnection(name_); }

    void reconnect() {
        QDBusConnection::disconnectFromBus(name_);
        delete watcher_;
        watcher_ = nullptr;
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name_);
        if (!bus.isConnected()) {
            forget_modem();
            if (!absent_->isActive()) absent_->start();
            return;
        }
        watcher_ = new QDBusServiceWatcher(qs(mm::service), bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this, &mm_link_t::on_owner_changed);
        const char* slot = SLOT(on_signal(QDBusMessage));
        bus.connect(qs(mm::service), qs(mm::root_path), qs(mm::object_manager), QStringLiteral("InterfacesAdded"), this,
                    slot);
        bus.connect(qs(mm::service), qs(mm::root_path), qs(mm::object_manager), QStringLiteral("InterfacesRemoved"),
                    this, slot);
        bus.connect(qs(mm::service), QString(), qs(mm::messaging_interface), QStringLiteral("Added"), this, slot);
        bus.connect(qs(mm::service), QString(), qs(mm::properties), QStringLiteral("PropertiesChanged"), this, slot);
        scan();
    }

    void forget_modem() {
        modem_.clear();
        receiving_.clear();
    }

    // Asks for every object of ModemManager and takes the modem with messaging.
    void scan() {
        QDBusMessage call = QDBusMessage::createMethodCall(qs(mm::service), qs(mm::root_path), qs(mm::object_manager),
                                                           QStringLiteral("GetManagedObjects"));
        on_reply(bus().asyncCall(call), [this](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage) {
                service_up_ = false;
                forget_modem();
                if (!absent_->isActive()) absent_->start();
                return;
            }
            service_up_ = true;
            const mm_objects_t objects = qdbus_cast<mm_objects_t>(reply.arguments().value(0));
            QVariantMap properties;
            const QString found = pick_modem(objects, owner_.options_.modem, &properties);
            if (found.isEmpty()) {
                forget_modem();
                if (!absent_->isActive()) absent_->start();
                return;
            }
            absent_->stop();
            tell_state(properties);
            if (found == modem_) return;
            forget_modem();
            modem_ = found;
            owner_.warn("ModemManager modem " + modem_.toStdString() + " (" +
                        properties.value(QStringLiteral("EquipmentIdentifier")).toString().toStdString() + ")");
            list_messages();
            pump();
        });
    }

    // What the modem's state means for the user, as the AT backend words it.
    void tell_state(const QVariantMap& modem) {
        const int state = modem.value(QStringLiteral("State")).toInt();
        const uint lock = modem.value(QStringLiteral("UnlockRequired")).toUInt();
        if (state == mm::modem_state_locked || (lock != mm::lock_none && lock != 0 && state < mm::modem_state_enabled))
            owner_.tell(lock == mm::lock_sim_puk || lock == mm::lock_sim_puk2 ? texts::modem_sim_puk
                                                                              : texts::modem_sim_pin);
        else if (state == mm::modem_state_failed)
            owner_.tell(modem.value(QStringLiteral("StateFailedReason")).toUInt() == mm::failed_sim_missing
                            ? std::u16string(texts::modem_no_sim)
                            : std::u16string(texts::modem_sim_not_ready) + texts::mm_modem_failed);
        else if (state == mm::modem_state_disabled)
            owner_.tell(texts::mm_modem_disabled);
        else if (state == mm::modem_state_enabled || state == mm::modem_state_searching)
            owner_.tell(texts::modem_not_registered);
    }

    void list_messages() {
        QDBusMessage call = QDBusMessage::createMethodCall(qs(mm::service), modem_, qs(mm::messaging_interface),
                                                           QStringLiteral("List"));
        on_reply(bus().asyncCall(call), [this](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage) {
                owner_.warn("ModemManager List: " + reply.errorMessage().toStdString());
                return;
            }
            for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0)))
                fetch_sms(path.path());
        });
    }

    void fetch_sms(const QString& path) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(qs(mm::service), path, qs(mm::properties), QStringLiteral("GetAll"));
        call << qs(mm::sms_interface);
        const QString modem = modem_;
        on_reply(bus().asyncCall(call), [this, path, modem](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage || modem != modem_) return;
            const QVariantMap sms = as_map(reply.arguments().value(0));
            const uint type = sms.value(QStringLiteral("PduType")).toUInt();
            if (type != mm::pdu_type_deliver && type != mm::pdu_type_cdma_deliver) return;  // our own, or a report
            const uint state = sms.value(QStringLiteral("State")).toUInt();
            if (state == mm::sms_state_receiving) {
                receiving_.insert(path);  // taken when PropertiesChanged says it is whole
                return;
            }
            if (state != mm::sms_state_received) return;
            receiving_.remove(path);
            take(path, sms);
        });
    }

    // Into the ledger; out of ModemManager once the ledger on disk keeps it and it is ours.
    void take(const QString& path, const QVariantMap& sms) {
        sms_ledger_t& ledger = owner_.ledger_;
        const std::u16string sender = u16(sms.value(QStringLiteral("Number")));
        const std::u16string text = u16(sms.value(QStringLiteral("Text")));
        const std::string key =
            sms_ledger_t::key_of_whole(sender, sms.value(QStringLiteral("Timestamp")).toString().toStdString(), text);
        const sms_intake_filter_t intake = owner_.intake();
        ledger.take_whole(key, sender, text, intake);
        if (const auto fault = ledger.save()) {
            owner_.warn(*fault + ": the message stays in ModemManager");
            return;
        }
        if (ledger.releasable(key)) {
            QDBusMessage call = QDBusMessage::createMethodCall(qs(mm::service), modem_, qs(mm::messaging_interface),
                                                               QStringLiteral("Delete"));
            call << QVariant::fromValue(QDBusObjectPath(path));
            on_reply(bus().asyncCall(call), [this, path](const QDBusMessage& reply) {
                if (reply.type() == QDBusMessage::ErrorMessage)
                    owner_.warn("ModemManager Delete " + path.toStdString() + ": " +
                                reply.errorMessage().toStdString());
            });
        }
        if (ledger.settle(intake) > 0) owner_.notify_new();
    }

    void pump() {
        drop_withdrawn();
        if (active_ || jobs_.empty() || modem_.isEmpty()) return;
        active_ = jobs_.front();
        jobs_.pop_front();
        active_->started = true;
        const sms_outgoing_t& message = active_->message;
        if (message.port && !port_told_) {
            port_told_ = true;
            owner_.warn(
                "ModemManager cannot send the application-port header: requests go out without it, their text as "
                "composed");
        }
        QVariantMap properties;
        properties.insert(QStringLiteral("number"), QString::fromStdU16String(message.address));
        properties.insert(QStringLiteral("text"), QString::fromStdU16String(message.text));
        if (message.message_class) properties.insert(QStringLiteral("class"), int(*message.message_class));
        QDBusMessage call = QDBusMessage::createMethodCall(qs(mm::service), modem_, qs(mm::messaging_interface),
                                                           QStringLiteral("Create"));
        call << properties;
        const QString modem = modem_;
        on_reply(bus().asyncCall(call), [this, modem](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage) {
                finish({send_outcome_t::not_sent, "Create: " + reply.errorName().toStdString(), {}, 0});
                return;
            }
            const QString sms = reply.arguments().value(0).value<QDBusObjectPath>().path();
            if (!active_->control->begin_write()) {
                remove_sms(modem, sms);
                finish({send_outcome_t::not_sent, "withdrawn", {}, 0});
                return;
            }
            send_created(modem, sms);
        });
    }

    void send_created(const QString& modem, const QString& sms) {
        const auto wait = owner_.options_.send_wait_per_part * int(parts_of(active_->message));
        QDBusMessage call = QDBusMessage::createMethodCall(qs(mm::service), sms, qs(mm::sms_interface), qs("Send"));
        on_reply(bus().asyncCall(call, int(wait.count())), [this, modem, sms](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ErrorMessage) {
                finish({send_outcome_t::sent, {}, {}, 1});
            } else {
                const std::string name = reply.errorName().toStdString();
                finish(
                    {mm_send_error_outcome(name), "Send: " + name + " " + reply.errorMessage().toStdString(), {}, 1});
            }
            // Ours, whatever became of it: ModemManager keeps what it is not told to drop.
            remove_sms(modem, sms);
        });
    }

    void remove_sms(const QString& modem, const QString& sms) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(qs(mm::service), modem, qs(mm::messaging_interface), qs("Delete"));
        call << QVariant::fromValue(QDBusObjectPath(sms));
        bus().asyncCall(call);
    }

    void finish(send_result_t result) {
        if (result.outcome != send_outcome_t::sent) owner_.warn("send: " + result.error);
        end(*active_, std::move(result));
        active_.reset();
        QTimer::singleShot(0, this, [this] { pump(); });
    }

    static void end(job_t& job, send_result_t result) {
        if (job.ended) return;
        job.ended = true;
        job.outcome.set_value(std::move(result));
    }

    template <typename handler_t>
    void on_reply(const QDBusPendingCall& call, handler_t handler) {
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [handler = std::move(handler)](QDBusPendingCallWatcher* done) {
                    done->deleteLater();
                    handler(done->reply());
                });
    }

    mm_backend_t& owner_;
    QString name_;
    QDBusServiceWatcher* watcher_ = nullptr;
    QTimer* health_ = nullptr;
    QTimer* absent_ = nullptr;
    QString modem_;
    bool service_up_ = false;
    QSet<QString> receiving_;
    std::deque<std::shared_ptr<job_t>> jobs_;
    std::shared_ptr<job_t> active_;
    bool port_told_ = false;
};

mm_backend_t::mm_backend_t(mm_options_t options)
    : options_(std::move(options)), ledger_(options_.ledger_file, options_.wall_clock), intake_(options_.intake) {
    if (!ledger_.load_warning().empty()) warn(ledger_.load_warning());
}

mm_backend_t::~mm_backend_t() {
    stop();
}

void mm_backend_t::start() {
    if (thread_) return;
    thread_ = std::make_unique<QThread>();
    link_ = new mm_link_t(*this);
    link_->moveToThread(thread_.get());
    thread_->start();
    QMetaObject::invokeMethod(link_, [link = link_] { link->begin(); });
}

void mm_backend_t::stop() {
    if (!thread_) return;
    QMetaObject::invokeMethod(
        link_, [link = link_] { delete link; }, Qt::BlockingQueuedConnection);
    link_ = nullptr;
    thread_->quit();
    thread_->wait();
    thread_.reset();
}

void mm_backend_t::warn(const std::string& text) {
    if (options_.warn) options_.warn(text);
}

void mm_backend_t::on_new_messages(std::function<void()> handler) {
    listeners_.on_new_messages(std::move(handler));
}

void mm_backend_t::notify_new() {
    listeners_.new_messages();
}

void mm_backend_t::on_notice(std::function<void(const std::u16string&)> handler) {
    listeners_.on_notice(std::move(handler));
}

void mm_backend_t::tell(const std::u16string& notice) {
    listeners_.tell(notice);
}

sms_intake_filter_t mm_backend_t::intake() const {
    std::lock_guard lock(mutex_);
    return intake_;
}

void mm_backend_t::set_intake(sms_intake_filter_t intake) {
    {
        std::lock_guard lock(mutex_);
        intake_ = std::move(intake);
    }
    // What was left alone may be ours by the new filter.
    if (link_) QMetaObject::invokeMethod(link_, [link = link_] { link->walk_again(); });
}

send_result_t mm_backend_t::send(const sms_outgoing_t& message, std::shared_ptr<send_control_t> control) {
    if (!link_) return {send_outcome_t::not_sent, "not started", {}, 0};
    auto job = std::make_shared<mm_link_t::job_t>();
    job->message = message;
    job->control = control ? std::move(control) : std::make_shared<send_control_t>();
    std::future<send_result_t> outcome = job->outcome.get_future();
    QMetaObject::invokeMethod(link_, [link = link_, job] { link->queue(job); });
    return outcome.get();
}

bool mm_backend_t::withdraw(send_control_t& control) {
    const bool whole = control.withdraw();
    if (link_) QMetaObject::invokeMethod(link_, [link = link_] { link->drop_withdrawn(); });
    return whole;
}

#include "mm_backend.moc"
