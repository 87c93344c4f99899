#include "platform/notify.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace platform {

void showNotification(const std::string& summary, const std::string& body, const std::string& icon,
                      std::function<void()> failed) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (failed)
            failed();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Application name, no notification to replace, icon, summary, body, no
    // actions, no hints, the service's own display time.
    call << QStringLiteral("Quorvane") << 0U << QString::fromStdString(icon)
         << QString::fromStdString(summary) << QString::fromStdString(body) << QStringList()
         << QVariantMap() << -1;
    // Asynchronous: a service that is slow to start never holds anything up.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [failed = std::move(failed)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         if (w->isError() && failed)
                             failed();
                     });
}

} // namespace platform
