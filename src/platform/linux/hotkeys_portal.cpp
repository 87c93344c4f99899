#include "platform/linux/hotkeys_portal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QTimer>

#include <cstdio>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// One element of BindShortcuts' list: a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace platform {

void reportHotkeysUnavailable(const QString& why) {
    static bool said = false;
    if (said)
        return;
    said = true;
    std::fprintf(stderr,
                 "Quorvane: global hotkeys are unavailable in this session (%s); bind the "
                 "commands to keys in the desktop's keyboard settings instead: "
                 "\"quorvane --random\", \"quorvane --next\", \"quorvane --prev\", "
                 "\"quorvane --show\"\n",
                 why.toLocal8Bit().constData());
}

PortalShortcuts& PortalShortcuts::instance() {
    // Parented to the application object, so it ends with it.
    static PortalShortcuts* self = new PortalShortcuts(QCoreApplication::instance());
    return *self;
}

PortalShortcuts::PortalShortcuts(QObject* parent) : QObject(parent) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        probe_ = Probe::Unavailable;
        return;
    }
    bus.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                SLOT(onActivated(QDBusMessage)));
}

void PortalShortcuts::set(int id, const QString& description, const QString& trigger) {
    wanted_[id] = Shortcut{description, trigger};
    scheduleSync();
}

void PortalShortcuts::remove(int id) {
    if (wanted_.erase(id))
        scheduleSync();
}

void PortalShortcuts::unavailable(const QString& why) {
    probe_ = Probe::Unavailable;
    reportHotkeysUnavailable(why);
}

void PortalShortcuts::scheduleSync() {
    if (probe_ == Probe::Unavailable) {
        if (!wanted_.empty())
            reportHotkeysUnavailable(QStringLiteral("no session bus"));
        return;
    }
    if (probe_ == Probe::NotStarted) {
        probe_ = Probe::Running;
        QDBusMessage get = QDBusMessage::createMethodCall(
            kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << kInterface << QStringLiteral("version");
        auto* watcher =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalShortcuts::onProbed);
        return; // the answer syncs
    }
    if (syncQueued_ || probe_ != Probe::Available)
        return;
    syncQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        syncQueued_ = false;
        sync();
    });
}

void PortalShortcuts::onProbed(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher->isError()) {
        unavailable(QStringLiteral("no desktop shortcuts portal: ") + watcher->error().name());
        return;
    }
    probe_ = Probe::Available;
    scheduleSync();
}

QString PortalShortcuts::newToken() {
    return QStringLiteral("quorvane%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++tokenCounter_);
}

// The portal answers on a Request object whose path it derives from our
// bus name and the token; listening there before the call leaves no gap.
QString PortalShortcuts::expectRequest(const QString& token) {
    QString sender = QDBusConnection::sessionBus().baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    request_ = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    QDBusConnection::sessionBus().connect(kService, request_, kRequestInterface,
                                          QStringLiteral("Response"), this,
                                          SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    return token;
}

void PortalShortcuts::call(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalShortcuts::onRequestSent);
}

void PortalShortcuts::closeSession() {
    if (session_.isEmpty())
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        kService, session_, QStringLiteral("org.freedesktop.portal.Session"),
        QStringLiteral("Close"));
    QDBusConnection::sessionBus().asyncCall(close);
    session_.clear();
    bound_.clear();
}

void PortalShortcuts::sync() {
    if (step_ != Step::Idle || wanted_ == bound_)
        return;
    closeSession();
    if (wanted_.empty())
        return;
    step_ = Step::Creating;
    QVariantMap options;
    options.insert(QStringLiteral("handle_token"), expectRequest(newToken()));
    options.insert(QStringLiteral("session_handle_token"), newToken());
    call(QStringLiteral("CreateSession"), {options});
}

void PortalShortcuts::onRequestSent(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher->isError()) {
        std::fprintf(stderr, "Quorvane: the shortcuts portal refused the hotkeys: %s\n",
                     qPrintable(watcher->error().message()));
        step_ = Step::Idle;
        session_.clear();
        return;
    }
    // Older portals name the Request object differently; follow their answer.
    const QDBusMessage reply = watcher->reply();
    if (!reply.arguments().isEmpty()) {
        const QString handle = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        if (!handle.isEmpty() && handle != request_) {
            request_ = handle;
            QDBusConnection::sessionBus().connect(
                kService, request_, kRequestInterface, QStringLiteral("Response"), this,
                SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
        }
    }
}

void PortalShortcuts::onResponse(uint response, const QVariantMap& results,
                                 const QDBusMessage& message) {
    if (message.path() != request_)
        return;
    QDBusConnection::sessionBus().disconnect(kService, request_, kRequestInterface,
                                             QStringLiteral("Response"), this,
                                             SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    request_.clear();
    const Step step = step_;
    step_ = Step::Idle;
    if (response != 0) {
        std::fprintf(stderr, "Quorvane: the shortcuts portal did not bind the hotkeys (%u)\n",
                     response);
        // Unbound until the next change asks again.
        closeSession();
        return;
    }
    if (step == Step::Creating) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        session_ = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                        : handle.toString();
        if (session_.isEmpty()) {
            step_ = Step::Idle;
            return;
        }
        binding_ = wanted_;
        QList<PortalShortcut> shortcuts;
        for (const auto& [id, shortcut] : binding_) {
            QVariantMap properties;
            properties.insert(QStringLiteral("description"), shortcut.description);
            if (!shortcut.trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), shortcut.trigger);
            shortcuts.append(PortalShortcut{shortcut.description, properties});
        }
        QVariantMap options;
        options.insert(QStringLiteral("handle_token"), expectRequest(newToken()));
        step_ = Step::Binding;
        call(QStringLiteral("BindShortcuts"), {QVariant::fromValue(QDBusObjectPath(session_)),
                                               QVariant::fromValue(shortcuts), QString(), options});
        return;
    }
    if (step == Step::Binding) {
        bound_ = binding_;
        // Changes made while the portal was busy are bound now.
        if (wanted_ != bound_)
            scheduleSync();
    }
}

void PortalShortcuts::onActivated(const QDBusMessage& message) {
    // Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QList<QVariant> arguments = message.arguments();
    if (session_.isEmpty() || !activated || arguments.size() < 2 ||
        arguments.at(0).value<QDBusObjectPath>().path() != session_)
        return;
    const QString shortcutId = arguments.at(1).toString();
    for (const auto& [id, shortcut] : bound_) {
        if (shortcut.description == shortcutId) {
            activated(id);
            return;
        }
    }
}

} // namespace platform
