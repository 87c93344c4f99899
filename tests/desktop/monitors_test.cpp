// Two monitors, each with a picture of its own: every change gives the next
// monitor the next picture, and a monitor plugged in while the program runs
// is covered without the user doing anything.
#include "desktop/desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <cstdio>

namespace {

class Monitors : public ThreeColourDesktopTest {
protected:
    void SetUp() override {
        ThreeColourDesktopTest::SetUp();
        if (IsSkipped())
            return;
        int code = -1;
        runCommand("xrandr", {"--version"}, &code);
        if (code != 0)
            GTEST_SKIP() << "xrandr is not installed";
        // The screen split in two monitors without outputs, as a window
        // manager takes them.
        setMonitor("QV-LEFT", 640, 0);
        setMonitor("QV-RIGHT", 640, 640);
        m_defined = true;
    }
    void TearDown() override {
        if (m_defined)
            for (const char* name : {"QV-LEFT", "QV-RIGHT", "QV-MIDDLE", "QV-EDGE"})
                runCommand("xrandr", {"--delmonitor", name});
        ThreeColourDesktopTest::TearDown();
    }
    static void setMonitor(const char* name, int width, int left) {
        runCommand("xrandr", {"--setmonitor", name,
                              QString("%1/200x800/250+%2+0").arg(width).arg(left), "none"});
    }
    // Waits until the root window shows `c` at (x, 8); the time it took, or
    // -1 when it did not within the limit.
    static qint64 waitForColour(int x, const QColor& c, int limitMs = 8000) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < limitMs) {
            if (near(screenColour(x, 8), c))
                return t.elapsed();
            QThread::msleep(50);
        }
        return -1;
    }
    bool m_defined = false;
};

TEST_F(Monitors, EachChangeGoesToTheNextMonitorAndAnAddedMonitorIsCovered) {
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("version", "3.2");
        s.setValue("param/PerMonitor", "1");
    }
    // Commands go to it once its window is up (a command sent while it is
    // still starting could start a second one).
    QProcess* p = nullptr;
    ASSERT_NE(startShown(p), 0u);
    const auto next = [&] {
        QProcess* command = start({"--next"});
        ASSERT_TRUE(command->waitForFinished(10000));
    };
    // The first picture covers both monitors; then they take turns.
    next();
    EXPECT_GE(waitForColour(100, m_colours[1]), 0);
    EXPECT_GE(waitForColour(1000, m_colours[1]), 0);
    next();
    EXPECT_GE(waitForColour(1000, m_colours[2]), 0);
    EXPECT_TRUE(near(screenColour(100, 8), m_colours[1]));
    next();
    EXPECT_GE(waitForColour(100, m_colours[0]), 0);
    EXPECT_TRUE(near(screenColour(1000, 8), m_colours[2]));

    // The right monitor becomes two: the new one, which has no picture of its
    // own yet, shows the first monitor's; the middle one keeps its own.
    runCommand("xrandr", {"--delmonitor", "QV-RIGHT"});
    setMonitor("QV-MIDDLE", 320, 640);
    setMonitor("QV-EDGE", 320, 960);
    const qint64 took = waitForColour(1100, m_colours[0], 3000);
    EXPECT_GE(took, 0) << "the added monitor was not covered";
    std::printf("the added monitor was covered after %lld ms\n", static_cast<long long>(took));
    EXPECT_TRUE(near(screenColour(700, 8), m_colours[2]));
    EXPECT_TRUE(QFile::exists(dataFolder() + "Wallpaper-2.bmp"));
    EXPECT_TRUE(terminate(p));
}

} // namespace
