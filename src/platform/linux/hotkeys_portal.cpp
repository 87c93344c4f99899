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

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString Path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// One element of bindShortcuts' list: a(sa{sv}).
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
        m_probe = Probe::Unavailable;
        return;
    }
    bus.connect(Service, Path, Interface, QStringLiteral("Activated"), this,
                SLOT(onActivated(QDBusMessage)));
}

void PortalShortcuts::set(int id, const QString& description, const QString& trigger) {
    m_wanted[id] = Shortcut{description, trigger};
    scheduleSync();
}

void PortalShortcuts::remove(int id) {
    if (m_wanted.erase(id))
        scheduleSync();
}

void PortalShortcuts::unavailable(const QString& why) {
    m_probe = Probe::Unavailable;
    reportHotkeysUnavailable(why);
}

void PortalShortcuts::scheduleSync() {
    if (m_probe == Probe::Unavailable) {
        if (!m_wanted.empty())
            reportHotkeysUnavailable(QStringLiteral("no session bus"));
        return;
    }
    if (m_probe == Probe::NotStarted) {
        m_probe = Probe::Running;
        QDBusMessage get = QDBusMessage::createMethodCall(
            Service, Path, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"));
        get << Interface << QStringLiteral("version");
        auto* watcher =
            new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(get), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalShortcuts::onProbed);
        return; // the answer syncs
    }
    if (m_syncQueued || m_probe != Probe::Available)
        return;
    m_syncQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_syncQueued = false;
        sync();
    });
}

void PortalShortcuts::onProbed(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    if (watcher->isError()) {
        unavailable(QStringLiteral("no desktop shortcuts portal: ") + watcher->error().name());
        return;
    }
    m_probe = Probe::Available;
    scheduleSync();
}

QString PortalShortcuts::newToken() {
    return QStringLiteral("quorvane%1_%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++m_tokenCounter);
}

// The portal answers on a Request object whose path it derives from our
// bus name and the token; listening there before the call leaves no gap.
QString PortalShortcuts::expectRequest(const QString& token) {
    QString sender = QDBusConnection::sessionBus().baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    m_request = Path + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    QDBusConnection::sessionBus().connect(Service, m_request, RequestInterface,
                                          QStringLiteral("Response"), this,
                                          SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    return token;
}

void PortalShortcuts::call(const QString& method, const QList<QVariant>& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(arguments);
    auto* watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &PortalShortcuts::onRequestSent);
}

void PortalShortcuts::closeSession() {
    if (m_session.isEmpty())
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(
        Service, m_session, QStringLiteral("org.freedesktop.portal.Session"),
        QStringLiteral("Close"));
    QDBusConnection::sessionBus().asyncCall(close);
    m_session.clear();
    m_bound.clear();
}

void PortalShortcuts::sync() {
    if (m_step != Step::Idle || m_wanted == m_bound)
        return;
    closeSession();
    if (m_wanted.empty())
        return;
    m_step = Step::Creating;
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
        m_step = Step::Idle;
        m_session.clear();
        return;
    }
    // Older portals name the Request object differently; follow their answer.
    const QDBusMessage reply = watcher->reply();
    if (!reply.arguments().isEmpty()) {
        const QString handle = reply.arguments().constFirst().value<QDBusObjectPath>().path();
        if (!handle.isEmpty() && handle != m_request) {
            m_request = handle;
            QDBusConnection::sessionBus().connect(
                Service, m_request, RequestInterface, QStringLiteral("Response"), this,
                SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
        }
    }
}

void PortalShortcuts::onResponse(uint response, const QVariantMap& results,
                                 const QDBusMessage& message) {
    if (message.path() != m_request)
        return;
    QDBusConnection::sessionBus().disconnect(Service, m_request, RequestInterface,
                                             QStringLiteral("Response"), this,
                                             SLOT(onResponse(uint, QVariantMap, QDBusMessage)));
    m_request.clear();
    const Step step = m_step;
    m_step = Step::Idle;
    if (response != 0) {
        std::fprintf(stderr, "Quorvane: the shortcuts portal did not bind the hotkeys (%u)\n",
                     response);
        // Unbound until the next change asks again.
        closeSession();
        return;
    }
    if (step == Step::Creating) {
        const QVariant handle = results.value(QStringLiteral("session_handle"));
        m_session = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                         : handle.toString();
        if (m_session.isEmpty()) {
            m_step = Step::Idle;
            return;
        }
        m_binding = m_wanted;
        QList<PortalShortcut> shortcuts;
        for (const auto& [id, shortcut] : m_binding) {
            QVariantMap properties;
            properties.insert(QStringLiteral("description"), shortcut.description);
            if (!shortcut.trigger.isEmpty())
                properties.insert(QStringLiteral("preferred_trigger"), shortcut.trigger);
            shortcuts.append(PortalShortcut{shortcut.description, properties});
        }
        QVariantMap options;
        options.insert(QStringLiteral("handle_token"), expectRequest(newToken()));
        m_step = Step::Binding;
        call(QStringLiteral("BindShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_session)),
                                               QVariant::fromValue(shortcuts), QString(), options});
        return;
    }
    if (step == Step::Binding) {
        m_bound = m_binding;
        // Changes made while the portal was busy are bound now.
        if (m_wanted != m_bound)
            scheduleSync();
    }
}

void PortalShortcuts::onActivated(const QDBusMessage& message) {
    // Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options)
    const QList<QVariant> arguments = message.arguments();
    if (m_session.isEmpty() || !activated || arguments.size() < 2 ||
        arguments.at(0).value<QDBusObjectPath>().path() != m_session)
        return;
    const QString shortcutId = arguments.at(1).toString();
    for (const auto& [id, shortcut] : m_bound) {
        if (shortcut.description == shortcutId) {
            activated(id);
            return;
        }
    }
}

} // namespace platform
