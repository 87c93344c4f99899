// The real program with a notification area (trayer) and a notification
// service (dunst, on a D-Bus session bus private to the test): pictures and
// folders handed over with --add reach the running program's collection;
// pictures that cannot be read leave it with one notification that counts
// them, and an add that skipped something says so the same way.
#include "desktop/desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 15000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

/// A notification as the service received it.
struct Received {
    QString app;
    QString summary;
    QString body;
};

class AddAndNotify : public ThreeColourDesktopTest {
protected:
    void SetUp() override {
        ThreeColourDesktopTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* program : {"trayer", "dunst", "dunstctl", "dbus-daemon"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                GTEST_SKIP() << program << " is not installed (scripts/install-deps)";
        startTrayHost();
        startNotificationService();
    }

    void TearDown() override {
        DesktopTest::TearDown();
        for (QProcess* p : {&m_dunst, &m_bus, &m_trayer})
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
    }

    QProcessEnvironment environment() const override {
        QProcessEnvironment env = DesktopTest::environment();
        if (!m_busAddress.isEmpty())
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
        return env;
    }

    void startTrayHost() {
        m_trayer.start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "request",
                                  "--height", "32", "--SetDockType", "false", "--transparent",
                                  "false", "--tint", "0x202020"});
        ASSERT_TRUE(m_trayer.waitForStarted(5000));
        ASSERT_TRUE(waitUntil(
            [] {
                return !xdotool({"search", "--class", "trayer"}).empty();
            },
            5000))
            << "no tray host";
    }

    // A session bus of the test's own, with dunst as its notification service.
    void startNotificationService() {
        const QString socket = m_home.path() + QStringLiteral("/run/bus");
        QFile conf(m_home.path() + QStringLiteral("/bus.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write(
            QStringLiteral(
                R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                .arg(socket)
                .toUtf8());
        conf.close();
        m_bus.setProcessEnvironment(environment());
        m_bus.start("dbus-daemon", {"--nofork", "--config-file=" + conf.fileName()});
        ASSERT_TRUE(m_bus.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([&] { return QFile::exists(socket); }, 5000)) << "no bus";
        m_busAddress = QStringLiteral("unix:path=") + socket;
        m_dunst.setProcessEnvironment(environment());
        m_dunst.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_dunst.start("dunst", {});
        ASSERT_TRUE(m_dunst.waitForStarted(5000));
        ASSERT_TRUE(waitUntil([this] { return dunstctl({"is-paused"}) == "false"; }, 10000))
            << "dunst did not come up on the private bus";
    }

    std::string dunstctl(const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start("dunstctl", args);
        p.waitForFinished(5000);
        return p.readAllStandardOutput().trimmed().toStdString();
    }

    /// Every notification dunst has received so far (they are closed first,
    /// so that its history holds them all).
    std::vector<Received> received() const {
        dunstctl({"close-all"});
        QThread::msleep(200);
        const QJsonDocument doc =
            QJsonDocument::fromJson(QByteArray::fromStdString(dunstctl({"history"})));
        std::vector<Received> all;
        const QJsonArray data = doc.object().value("data").toArray();
        for (const QJsonValue& group : data)
            for (const QJsonValue& n : group.toArray()) {
                const QJsonObject o = n.toObject();
                auto field = [&o](const char* name) {
                    return o.value(QLatin1String(name)).toObject().value("data").toString();
                };
                all.push_back({field("appname"), field("summary"), field("body")});
            }
        return all;
    }

    std::vector<Received> fromQuorvane() const {
        std::vector<Received> ours;
        for (const Received& r : received())
            if (r.app == QLatin1String("Quorvane"))
                ours.push_back(r);
        return ours;
    }

    int notificationCount() const {
        return QString::fromStdString(dunstctl({"count", "displayed"})).toInt() +
               QString::fromStdString(dunstctl({"count", "history"})).toInt();
    }

    QStringList listLines() const {
        QFile list(dataFolder() + "list.txt");
        if (!list.open(QIODevice::ReadOnly))
            return {};
        QStringList lines;
        for (const QString& line : QString::fromUtf8(list.readAll()).split('\n'))
            if (!line.trimmed().isEmpty())
                lines << line.trimmed();
        return lines;
    }

    QString picture(const QString& relative) {
        const QString path = m_home.path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).path());
        QImage img(48, 30, QImage::Format_RGB32);
        img.fill(QColor(90, 90, 20));
        EXPECT_TRUE(img.save(path));
        return path;
    }

    QProcess m_trayer;
    QProcess m_bus;
    QProcess m_dunst;
    QString m_busAddress;
};

TEST_F(AddAndNotify, AFolderHandedOverWithAddJoinsTheRunningProgramsCollection) {
    QProcess* running = start();
    const QString n1 = picture("incoming/n1.bmp");
    const QString n2 = picture("incoming/sub/n2.png");
    QFile readme(m_home.path() + "/readme.txt");
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.write("not a picture");
    readme.close();
    // Give the program its start, with its icon in the tray.
    QThread::msleep(1500);
    ASSERT_EQ(running->state(), QProcess::Running);

    // Relative paths, from the folder the command runs in.
    QProcess add;
    add.setProcessEnvironment(environment());
    add.setWorkingDirectory(m_home.path());
    add.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    add.start(programPath(), {"--add", "incoming", "readme.txt"});
    ASSERT_TRUE(add.waitForFinished(15000));
    EXPECT_EQ(add.exitCode(), 0);

    const QString pics = m_home.path() + "/pics/";
    const QStringList expected{pics + "p0.bmp", pics + "p1.bmp", pics + "p2.bmp", n1, n2};
    EXPECT_TRUE(waitUntil([&] { return listLines() == expected; }, 10000))
        << listLines().join(' ').toStdString();
    // Added to the one program that runs; the command's own start ended.
    EXPECT_EQ(running->state(), QProcess::Running);

    // What was not added is told once.
    ASSERT_TRUE(waitUntil([this] { return notificationCount() >= 1; }, 10000));
    QThread::msleep(2000); // nothing more follows
    const std::vector<Received> ours = fromQuorvane();
    ASSERT_EQ(ours.size(), 1u);
    EXPECT_EQ(ours[0].summary, QStringLiteral("Not added"));
    EXPECT_TRUE(ours[0].body.startsWith("1 item was not added")) << ours[0].body.toStdString();
    EXPECT_TRUE(ours[0].body.contains("readme.txt")) << ours[0].body.toStdString();
    EXPECT_TRUE(terminate(running));
}

TEST_F(AddAndNotify, PicturesThatCannotBeReadLeaveWithOneNotificationThatCountsThem) {
    // Three pictures that decode and four that do not.
    QFile list(dataFolder() + "list.txt");
    ASSERT_TRUE(list.open(QIODevice::Append));
    const QStringList broken{"bad1.jpg", "bad2.png", "bad3.bmp", "bad4.jpg"};
    for (const QString& name : broken) {
        const QString path = m_home.path() + "/broken/" + name;
        QDir().mkpath(m_home.path() + "/broken");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is no picture");
        list.write(path.toUtf8() + "\r\n");
    }
    list.close();
    QProcess* running = start();
    ASSERT_TRUE(waitUntil([this] { return listLines().size() == 3; }, 20000))
        << listLines().join(' ').toStdString();
    ASSERT_TRUE(waitUntil([this] { return notificationCount() >= 1; }, 15000));
    QThread::msleep(2500); // no second one follows
    const std::vector<Received> ours = fromQuorvane();
    ASSERT_EQ(ours.size(), 1u) << "one notification for all of them";
    EXPECT_EQ(ours[0].summary, QStringLiteral("Pictures removed"));
    const QString body = ours[0].body;
    EXPECT_TRUE(body.startsWith("4 pictures left the collection because they cannot be read: "))
        << body.toStdString();
    // The first three names, then how many more.
    int named = 0;
    for (const QString& name : broken)
        named += body.contains(name) ? 1 : 0;
    EXPECT_EQ(named, 3) << body.toStdString();
    EXPECT_TRUE(body.contains("and 1 more")) << body.toStdString();
    EXPECT_TRUE(terminate(running));
}

} // namespace
