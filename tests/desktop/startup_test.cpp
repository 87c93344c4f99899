// The real program on an X server: start-up, single instance and the close
// protocol as a person meets them.
#include "desktop/desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

namespace {
constexpr int MainWidth = 800;
constexpr int MainHeight = 435;
} // namespace

TEST_F(DesktopTest, EmptyCollectionShowsTheMainWindow) {
    QProcess* p = start();
    const unsigned long w = waitForWindow(p->processId(), "Quorvane", 15000, MainWidth, MainHeight);
    ASSERT_NE(w, 0u) << "the main window did not appear";
    EXPECT_TRUE(QFileInfo(dataFolder()).isDir());
    EXPECT_TRUE(QFileInfo(dataFolder() + "Thumbnail").isDir());
    // The version marker is written at the first start.
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("version").toString(), "3.2");
    EXPECT_TRUE(terminate(p));
}

TEST_F(DesktopTest, SecondStartSaysSoAndEndsWhileTheFirstRuns) {
    QProcess* first = start();
    ASSERT_NE(waitForWindow(first->processId(), "Quorvane", 15000, MainWidth, MainHeight), 0u);

    QProcess* second = start();
    const unsigned long box = waitForOtherWindow(second->processId(), 0);
    ASSERT_NE(box, 0u) << "the second start showed no message";
    const WindowGeometry g = windowGeometry(box);
    EXPECT_NE(g.width, MainWidth) << "the second start created a main window";
    EXPECT_LT(g.width, 500);
    // The message is all it shows; OK ends it.
    pressKeys(box, {"Return"});
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    // A copy under another name is another program: it runs beside the first.
    const QString copy = home.path() + "/Other";
    ASSERT_TRUE(QFile::copy(programPath(), copy));
    QProcess* other = start({}, copy);
    EXPECT_NE(waitForWindow(other->processId(), "Quorvane", 15000, MainWidth, MainHeight), 0u);
    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(terminate(other));
    EXPECT_TRUE(terminate(first));
}

TEST_F(DesktopTest, SigtermSavesTheSettingsAndEndsPromptly) {
    QProcess* p = start();
    ASSERT_NE(waitForWindow(p->processId(), "Quorvane", 15000, MainWidth, MainHeight), 0u);
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(terminate(p, 5000));
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("param/interval").toString(), "300000");
    EXPECT_EQ(s.value("param/gk1").toString(), "11082");
    EXPECT_EQ(s.allKeys().filter("param/").size(), 11);
}

TEST_F(DesktopTest, ExitAsksFirstAndCancelChangesNothing) {
    QProcess* p = start();
    const unsigned long w = waitForWindow(p->processId(), "Quorvane", 15000, MainWidth, MainHeight);
    ASSERT_NE(w, 0u);
    clickAt(w, 747 + 15, 14); // the close button
    unsigned long box = waitForOtherWindow(p->processId(), w);
    ASSERT_NE(box, 0u) << "no confirmation was asked";
    pressKeys(box, {"Escape"});
    QThread::msleep(600);
    EXPECT_EQ(p->state(), QProcess::Running);
    EXPECT_FALSE(QFile::exists(settingsFile()) &&
                 QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"))
        << "Cancel saved the settings";

    clickAt(w, 747 + 15, 14);
    box = waitForOtherWindow(p->processId(), w);
    ASSERT_NE(box, 0u);
    pressKeys(box, {"Return"});
    ASSERT_TRUE(p->waitForFinished(3000)) << "OK did not end the program";
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("param/interval").toString(), "300000");
}
