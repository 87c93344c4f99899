#include "desktop/desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <csignal>

std::string runCommand(const QString& program, const QStringList& args, int* exitCode,
                       int timeoutMs) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    if (exitCode)
        *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput().trimmed().toStdString();
}

std::string xdotool(const QStringList& args, int* exitCode) {
    return runCommand(QStringLiteral("xdotool"), args, exitCode);
}

WindowGeometry windowGeometry(unsigned long window) {
    const QString out = QString::fromStdString(xdotool(
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)}));
    WindowGeometry g;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const auto kv = line.split(QLatin1Char('='));
        if (kv.size() != 2)
            continue;
        const int v = kv[1].toInt();
        if (kv[0] == QLatin1String("X"))
            g.x = v;
        else if (kv[0] == QLatin1String("Y"))
            g.y = v;
        else if (kv[0] == QLatin1String("WIDTH"))
            g.width = v;
        else if (kv[0] == QLatin1String("HEIGHT"))
            g.height = v;
    }
    return g;
}

unsigned long waitForWindow(qint64 pid, const QString& title, int timeoutMs, int width,
                            int height) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const QString out = QString::fromStdString(
            xdotool({QStringLiteral("search"), QStringLiteral("--all"),
                     QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid),
                     QStringLiteral("--name"), QLatin1Char('^') + title + QLatin1Char('$')}));
        for (const QString& id : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const unsigned long w = id.toULong();
            if (width < 0)
                return w;
            const WindowGeometry g = windowGeometry(w);
            if (g.width == width && g.height == height)
                return w;
        }
        QThread::msleep(100);
    }
    return 0;
}

unsigned long waitForOtherWindow(qint64 pid, unsigned long except, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        const QString out = QString::fromStdString(
            xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(pid)}));
        for (const QString& id : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const unsigned long w = id.toULong();
            const WindowGeometry g = windowGeometry(w);
            if (w != except && g.width > 1 && g.height > 1)
                return w;
        }
        QThread::msleep(100);
    }
    return 0;
}

QImage screenshot(const QString& file) {
    runCommand("import", {"-window", "root", file});
    return QImage(file);
}

QColor screenColour(int x, int y) {
    const QString out = QString::fromStdString(
        runCommand("import", {"-window", "root", "-crop", QString("1x1+%1+%2").arg(x).arg(y),
                              "-depth", "8", "txt:-"}));
    const int hash = out.indexOf('#', out.indexOf('\n'));
    return hash < 0 ? QColor() : QColor(out.mid(hash, 7));
}

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

bool desktopShows(const QColor& c, int timeoutMs) {
    for (int t = 0; t < timeoutMs; t += 200) {
        if (near(screenColour(8, 8), c))
            return true;
        QThread::msleep(200);
    }
    return false;
}

void pressKeys(unsigned long window, const QStringList& keys) {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(window)});
    QThread::msleep(100);
    QStringList args{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("80")};
    xdotool(args + keys);
}

void clickAt(unsigned long window, int x, int y, int button) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window),
             QString::number(x), QString::number(y)});
    QThread::msleep(100);
    xdotool({QStringLiteral("click"), QString::number(button)});
}

bool underWindowManager() {
    return !qEnvironmentVariableIsEmpty("QUORVANE_TEST_WM");
}

void DesktopTest::SetUp() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no X server (DISPLAY is unset); the test run starts Xvfb for these";
    ASSERT_TRUE(m_home.isValid());
    QDir(m_home.path()).mkpath(QStringLiteral("run"));
    QFile::setPermissions(m_home.path() + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void DesktopTest::TearDown() {
    for (QProcess* p : m_processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(3000);
        }
        delete p;
    }
    m_processes.clear();
}

QProcessEnvironment DesktopTest::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path() + QStringLiteral("/.local/share"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path() + QStringLiteral("/run"));
    env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // The texts the tests look for are the English ones, whatever this
    // machine's language.
    env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

QString DesktopTest::programPath() const {
    return QStringLiteral(QUORVANE_BINARY_DIR "/src/app/quorvane");
}

QProcess* DesktopTest::start(const QStringList& args, const QString& binary) {
    auto* p = new QProcess;
    p->setProcessEnvironment(environment());
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(binary.isEmpty() ? programPath() : binary, args);
    p->waitForStarted(10000);
    m_processes.push_back(p);
    return p;
}

bool DesktopTest::terminate(QProcess* p, int timeoutMs) {
    ::kill(static_cast<pid_t>(p->processId()), SIGTERM);
    return p->waitForFinished(timeoutMs);
}

void DesktopTest::writeThreeColourCollection() {
    QDir().mkpath(dataFolder());
    QDir().mkpath(m_home.path() + "/pics");
    QFile list(dataFolder() + "list.txt");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    for (int i = 0; i < 3; ++i) {
        QImage img(64, 40, QImage::Format_RGB32);
        img.fill(m_colours[i]);
        const QString path = m_home.path() + QString("/pics/p%1.bmp").arg(i);
        ASSERT_TRUE(img.save(path, "BMP"));
        list.write(path.toUtf8() + "\r\n");
    }
}

unsigned long DesktopTest::startShown(QProcess*& p) {
    p = start({"--show"});
    return waitForWindow(p->processId(), "Quorvane", 15000, 800, 435);
}
