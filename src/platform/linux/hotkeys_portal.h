// System-wide hotkeys under Wayland, where no client may grab keys: the
// desktop's org.freedesktop.portal.GlobalShortcuts portal binds them.
#pragma once

#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace platform {

/// The shortcuts the program wants, kept in step with one portal session.
/// A session binds its shortcuts once, so every change closes the session
/// and binds the new set in a fresh one; changes made in one turn of the
/// event loop are bound together. Every call to the portal is asynchronous.
class PortalShortcuts : public QObject {
    Q_OBJECT
public:
    static PortalShortcuts& instance();

    /// False once it is known that the session offers no shortcuts portal.
    bool mayBeAvailable() const { return m_probe != Probe::Unavailable; }

    /// Asks for shortcut `id` with its description (also its portal id)
    /// and preferred trigger ("CTRL+ALT+n").
    void set(int id, const QString& description, const QString& trigger);
    void remove(int id);

    std::function<void(int id)> activated;

private slots:
    void onProbed(QDBusPendingCallWatcher* watcher);
    void onRequestSent(QDBusPendingCallWatcher* watcher);
    void onResponse(uint response, const QVariantMap& results, const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);

private:
    explicit PortalShortcuts(QObject* parent);

    struct Shortcut {
        QString description;
        QString trigger;
        friend bool operator==(const Shortcut&, const Shortcut&) = default;
    };
    enum class Probe { NotStarted, Running, Available, Unavailable };
    enum class Step { Idle, Creating, Binding };

    void scheduleSync();
    void sync();
    void closeSession();
    QString newToken();
    QString expectRequest(const QString& token);
    void call(const QString& method, const QList<QVariant>& arguments);
    void unavailable(const QString& why);

    Probe m_probe = Probe::NotStarted;
    Step m_step = Step::Idle;
    bool m_syncQueued = false;
    std::map<int, Shortcut> m_wanted;
    std::map<int, Shortcut> m_bound;
    std::map<int, Shortcut> m_binding;
    QString m_session;
    QString m_request;
    unsigned m_tokenCounter = 0;
};

/// Says once on stderr that this session has no system-wide hotkeys and how
/// to bind the commands in the desktop instead.
void reportHotkeysUnavailable(const QString& why);

} // namespace platform
