// The real program with and without a notification area (a real XEmbed tray,
// trayer, on the tests' X server), and the skinned main window as a person
// clicks it.
#include "desktop/desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QThread>

namespace {

constexpr int MainWidth = 800;
constexpr int MainHeight = 435;

} // namespace

class Tray : public ThreeColourDesktopTest {
protected:
    void TearDown() override {
        if (m_trayer.state() != QProcess::NotRunning) {
            m_trayer.terminate();
            m_trayer.waitForFinished(3000);
        }
        DesktopTest::TearDown();
    }

    // A notification area at the top left of the screen.
    void startTrayHost() {
        m_trayer.start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "request",
                                  "--height", "32", "--SetDockType", "false", "--transparent",
                                  "false", "--tint", "0x202020"});
        ASSERT_TRUE(m_trayer.waitForStarted(5000));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000 && xdotool({"search", "--class", "trayer"}).empty())
            QThread::msleep(100);
        ASSERT_FALSE(xdotool({"search", "--class", "trayer"}).empty()) << "no tray host";
    }

    bool windowShows(qint64 pid, int timeoutMs) {
        return waitForWindow(pid, "Quorvane", timeoutMs, MainWidth, MainHeight) != 0;
    }

    QProcess m_trayer;
};

TEST_F(Tray, WithATrayHostTheProgramStartsHiddenAndItsIconShowsTheWindow) {
    startTrayHost();
    QProcess* p = start();
    // Give the icon time to dock; the window must not show meanwhile.
    EXPECT_FALSE(windowShows(p->processId(), 7000)) << "the window showed with a tray host";
    // The icon is the panel's first: a click in the middle of it. (trayer
    // has a small helper window too; the panel is its largest.)
    WindowGeometry g;
    const std::string tray = xdotool({"search", "--class", "trayer"});
    for (const QString& id : QString::fromStdString(tray).split('\n', Qt::SkipEmptyParts)) {
        const WindowGeometry candidate = windowGeometry(id.toULong());
        if (candidate.width * candidate.height > g.width * g.height)
            g = candidate;
    }
    ASSERT_GE(g.width, 16);
    xdotool({"mousemove", "--sync", QString::number(g.x + 16), QString::number(g.y + 16)});
    QThread::msleep(200);
    xdotool({"click", "1"});
    EXPECT_TRUE(windowShows(p->processId(), 5000)) << "a click on the tray icon showed nothing";
    EXPECT_TRUE(terminate(p));
}

TEST_F(Tray, ATrayHostStartingLateStillKeepsTheWindowHidden) {
    QProcess* p = start();
    QThread::msleep(1000); // the panel comes after the program, as at logon
    startTrayHost();
    EXPECT_FALSE(windowShows(p->processId(), 8000));
    EXPECT_TRUE(terminate(p));
}

TEST_F(Tray, WithoutATrayHostTheWindowShowsAndItsButtonsWork) {
    QProcess* p = start();
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(windowShows(p->processId(), 15000)) << "no way to reach the program";
    EXPECT_GT(t.elapsed(), 3000) << "it did not wait for a notification area first";
    const unsigned long w = waitForWindow(p->processId(), "Quorvane", 1000, MainWidth, MainHeight);
    const WindowGeometry g = windowGeometry(w);

    // A left press on Next only selects; a right press also applies.
    const QColor before = screenColour(8, 8);
    clickAt(w, 192 + 28, 386 + 24, 1);
    QThread::msleep(500);
    EXPECT_TRUE(near(screenColour(8, 8), before)) << "a left press applied";
    clickAt(w, 192 + 28, 386 + 24, 3);
    EXPECT_TRUE(desktopShows(m_colours[2])) << "a right press on Next did not apply";
    // Apply with the left button re-applies the current entry.
    clickAt(w, 366 + 35, 381 + 26, 1);
    EXPECT_TRUE(desktopShows(m_colours[2]));

    // The window's corners show the desktop behind it; just inside, the window.
    const QColor desktop = screenColour(8, 8);
    for (const QPoint corner :
         {QPoint(g.x, g.y), QPoint(g.x + MainWidth - 1, g.y), QPoint(g.x, g.y + MainHeight - 1),
          QPoint(g.x + MainWidth - 1, g.y + MainHeight - 1)})
        EXPECT_TRUE(near(screenColour(corner.x(), corner.y()), desktop))
            << corner.x() - g.x << ", " << corner.y() - g.y;
    EXPECT_FALSE(near(screenColour(g.x + 12, g.y + 12), desktop));
    EXPECT_TRUE(terminate(p));
}
