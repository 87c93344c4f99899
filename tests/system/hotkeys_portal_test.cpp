// The hotkeys where no X server takes key grabs (Wayland): bound through the
// org.freedesktop.portal.GlobalShortcuts portal. The portal here is a
// stand-in service speaking the portal's interface on a private session
// bus (tests/support/private_bus.sh): no desktop portal with a shortcuts
// backend runs on a test machine.
#include "system/hotkeys.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

// Named (not anonymous), so that the slot's parameter type as moc spells it
// matches the type's registered name.
namespace portaltest {

struct Shortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Shortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Shortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace portaltest

Q_DECLARE_METATYPE(portaltest::Shortcut)

namespace {

using portaltest::Shortcut;

const QString DesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

class FakeSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    bool closed = false;
public slots:
    void Close() { // NOLINT(readability-identifier-naming): the D-Bus method
        closed = true;
    }
};

// The portal's side: sessions, the shortcuts bound in each, and the
// Request/Response exchange of every call.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    explicit FakePortal(QDBusConnection bus) : m_bus(bus) {
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<QList<Shortcut>>();
        ok = m_bus.registerObject(DesktopPath, this,
                                  QDBusConnection::ExportAllSlots |
                                      QDBusConnection::ExportAllProperties) &&
             m_bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~FakePortal() override {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        m_bus.unregisterObject(DesktopPath, QDBusConnection::UnregisterTree);
    }
    uint version() const { return 1; }

    bool ok = false;
    uint answer = 0; // the Response code of bindShortcuts
    int sessionsCreated = 0;
    std::map<QString, std::unique_ptr<FakeSession>> sessions;
    QString lastSession;
    QList<Shortcut> lastBound;

    void activate(const QString& session, const QString& id) {
        QDBusMessage signal =
            QDBusMessage::createSignal(DesktopPath, Interface, QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id
               << QVariant::fromValue(qulonglong(1)) << QVariantMap();
        m_bus.send(signal);
    }
    bool isOpen(const QString& session) const {
        const auto it = sessions.find(session);
        return it != sessions.end() && !it->second->closed;
    }

public slots:
    QDBusObjectPath CreateSession( // NOLINT(readability-identifier-naming)
        const QVariantMap& options, const QDBusMessage& message) {
        const QString session = DesktopPath + QStringLiteral("/session/") + sender(message) +
                                QLatin1Char('/') +
                                options.value(QStringLiteral("session_handle_token")).toString();
        auto object = std::make_unique<FakeSession>();
        m_bus.registerObject(session, object.get(), QDBusConnection::ExportAllSlots);
        sessions[session] = std::move(object);
        ++sessionsCreated;
        QVariantMap results;
        results.insert(QStringLiteral("session_handle"),
                       session); // sent as a string, as portals do
        return respond(message, options, 0, results);
    }
    QDBusObjectPath BindShortcuts( // NOLINT(readability-identifier-naming)
        const QDBusObjectPath& session, const QList<portaltest::Shortcut>& shortcuts,
        const QString&, const QVariantMap& options, const QDBusMessage& message) {
        lastSession = session.path();
        lastBound = shortcuts;
        return respond(message, options, answer, {});
    }

private:
    static QString sender(const QDBusMessage& message) {
        QString name = message.service();
        return name.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    }
    QDBusObjectPath respond(const QDBusMessage& message, const QVariantMap& options, uint code,
                            const QVariantMap& results) {
        const QString request = DesktopPath + QStringLiteral("/request/") + sender(message) +
                                QLatin1Char('/') +
                                options.value(QStringLiteral("handle_token")).toString();
        // The answer follows the method's return, as with the real portal.
        QTimer::singleShot(10, this, [this, request, code, results] {
            QDBusMessage response = QDBusMessage::createSignal(
                request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Response"));
            response << code << results;
            m_bus.send(response);
        });
        return QDBusObjectPath(request);
    }

    QDBusConnection m_bus;
};

bool waitFor(const std::function<bool()>& condition, int ms = 3000) {
    QDeadlineTimer deadline(ms);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

void settle(int ms = 200) {
    waitFor([] { return false; }, ms);
}

QString trigger(const Shortcut& s) {
    return s.properties.value(QStringLiteral("preferred_trigger")).toString();
}

const std::array<GlobalKey, 3> Defaults{{
    {true, true, false, 'R'},
    {true, true, false, 'N'},
    {true, true, false, 'B'},
}};

class PortalHotkeys : public ::testing::Test {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QUORVANE_PRIVATE_BUS"))
            GTEST_SKIP() << "runs on a private session bus only (tests/support/private_bus.sh)";
        m_portal = std::make_unique<FakePortal>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal")));
        ASSERT_TRUE(m_portal->ok);
        m_hotkeys = std::make_unique<GlobalHotkeys>();
    }
    void TearDown() override {
        m_hotkeys.reset();
        settle(100);
        m_portal.reset();
    }
    std::unique_ptr<FakePortal> m_portal;
    std::unique_ptr<GlobalHotkeys> m_hotkeys;
};

TEST_F(PortalHotkeys, BindsTheNonEmptySlotsWithTheirDescriptionsAndTriggers) {
    std::array<GlobalKey, 3> keys = Defaults;
    keys[1].key = 0;
    keys[2] = {false, false, true, 116}; // Shift + F5
    m_hotkeys->registerHotkeys(keys, true);
    ASSERT_TRUE(waitFor([&] { return m_portal->lastBound.size() == 2; }));
    EXPECT_EQ(m_portal->sessionsCreated, 1);
    EXPECT_EQ(m_portal->lastBound[0].id, QStringLiteral("Random wallpaper"));
    EXPECT_EQ(m_portal->lastBound[0].properties.value(QStringLiteral("description")).toString(),
              QStringLiteral("Random wallpaper"));
    EXPECT_EQ(trigger(m_portal->lastBound[0]), QStringLiteral("CTRL+ALT+r"));
    EXPECT_EQ(m_portal->lastBound[1].id, QStringLiteral("Previous wallpaper"));
    EXPECT_EQ(trigger(m_portal->lastBound[1]), QStringLiteral("SHIFT+F5"));
}

TEST_F(PortalHotkeys, ActivationOfOurSessionSignalsTheSlotsId) {
    m_hotkeys->registerHotkeys(Defaults, true);
    ASSERT_TRUE(waitFor([&] { return m_portal->lastBound.size() == 3; }));
    QSignalSpy spy(m_hotkeys.get(), &GlobalHotkeys::hotkeyPressed);
    const QString session = m_portal->lastSession;
    settle();
    m_portal->activate(session, QStringLiteral("Next wallpaper"));
    m_portal->activate(session, QStringLiteral("Random wallpaper"));
    m_portal->activate(session, QStringLiteral("Previous wallpaper"));
    ASSERT_TRUE(waitFor([&] { return spy.size() == 3; }));
    EXPECT_EQ(spy.at(0).at(0).toInt(), 101);
    EXPECT_EQ(spy.at(1).at(0).toInt(), 100);
    EXPECT_EQ(spy.at(2).at(0).toInt(), 102);

    // Another application's session, or an id we did not bind: nothing.
    m_portal->activate(DesktopPath + QStringLiteral("/session/other/s1"),
                       QStringLiteral("Next wallpaper"));
    m_portal->activate(session, QStringLiteral("Something else"));
    settle(300);
    EXPECT_EQ(spy.size(), 3);
}

TEST_F(PortalHotkeys, SwitchedOffAsksThePortalForNothing) {
    m_hotkeys->registerHotkeys(Defaults, false);
    settle(500);
    EXPECT_EQ(m_portal->sessionsCreated, 0);
}

TEST_F(PortalHotkeys, ApplyClosesTheOldSessionAndBindsTheNewKeysInANewOne) {
    m_hotkeys->registerHotkeys(Defaults, true);
    ASSERT_TRUE(waitFor([&] { return m_portal->lastBound.size() == 3; }));
    const QString first = m_portal->lastSession;

    std::array<GlobalKey, 3> edited = Defaults;
    edited[0] = {false, false, false, 120}; // F9 alone
    m_hotkeys->unregisterHotkeys();
    m_hotkeys->registerHotkeys(edited, true);
    ASSERT_TRUE(waitFor(
        [&] { return m_portal->lastSession != first && !m_portal->lastSession.isEmpty(); }));
    EXPECT_EQ(m_portal->sessionsCreated, 2); // unregister and register in one go: one new session
    EXPECT_FALSE(m_portal->isOpen(first));
    ASSERT_EQ(m_portal->lastBound.size(), 3);
    EXPECT_EQ(trigger(m_portal->lastBound[0]), QStringLiteral("F9"));

    // Presses in the closed session no longer count.
    settle(); // the binding's answer
    QSignalSpy spy(m_hotkeys.get(), &GlobalHotkeys::hotkeyPressed);
    m_portal->activate(first, QStringLiteral("Next wallpaper"));
    m_portal->activate(m_portal->lastSession, QStringLiteral("Random wallpaper"));
    ASSERT_TRUE(waitFor([&] { return spy.size() >= 1; }));
    settle();
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 100);

    // Switched off: the session is closed and no other made.
    const QString second = m_portal->lastSession;
    m_hotkeys->unregisterHotkeys();
    ASSERT_TRUE(waitFor([&] { return !m_portal->isOpen(second); }));
    settle();
    EXPECT_EQ(m_portal->sessionsCreated, 2);
}

TEST_F(PortalHotkeys, RefusedBindingSignalsNothingAndBreaksNothing) {
    m_portal->answer = 1; // the user cancelled the portal's dialog
    m_hotkeys->registerHotkeys(Defaults, true);
    ASSERT_TRUE(waitFor([&] { return m_portal->lastBound.size() == 3; }));
    const QString session = m_portal->lastSession;
    settle();
    QSignalSpy spy(m_hotkeys.get(), &GlobalHotkeys::hotkeyPressed);
    m_portal->activate(session, QStringLiteral("Next wallpaper"));
    settle(300);
    EXPECT_EQ(spy.size(), 0);
    EXPECT_FALSE(m_portal->isOpen(session));
    // The next apply asks again.
    m_portal->answer = 0;
    m_hotkeys->unregisterHotkeys();
    m_hotkeys->registerHotkeys(Defaults, true);
    ASSERT_TRUE(waitFor([&] { return m_portal->lastSession != session; }));
}

// Runs alone, on a bus where no portal answers (see CMakeLists.txt).
TEST(NoPortal, SaysOnceHowToBindTheCommandsInstead) {
    if (!qEnvironmentVariableIsSet("QUORVANE_PRIVATE_BUS"))
        GTEST_SKIP() << "runs on a private session bus only (tests/support/private_bus.sh)";
    QTemporaryFile err;
    ASSERT_TRUE(err.open());
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(err.handle(), 2);
    {
        GlobalHotkeys hotkeys;
        hotkeys.registerHotkeys(Defaults, true);
        settle(1500);
        hotkeys.unregisterHotkeys();
        hotkeys.registerHotkeys(Defaults, true);
        settle(300);
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    err.seek(0);
    const QString text = QString::fromLocal8Bit(err.readAll());
    EXPECT_EQ(text.count(QStringLiteral("global hotkeys are unavailable")), 1) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("quorvane --next"))) << qPrintable(text);
}

} // namespace

#include "hotkeys_portal_test.moc"
