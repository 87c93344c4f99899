// The real program on an X server: start-up, single instance and the close
// protocol as a person meets them.
#include "desktop/desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

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

// No private folder for the single-instance lock (no runtime folder, the
// temporary folder's place taken by a folder open to everyone, the cache
// folder impossible to make): the program says why and does not start, with
// or without a command for a running copy.
TEST_F(DesktopTest, WithoutAPrivateFolderForTheLockItSaysWhyAndDoesNotStart) {
    const QString tmp = home.path() + "/tmp";
    const QString taken = tmp + "/quorvane-" + QString::number(::geteuid());
    ASSERT_TRUE(QDir().mkpath(taken));
    ASSERT_EQ(::chmod(QFile::encodeName(taken).constData(), 0777), 0);
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment env = environment();
    env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", tmp);
    env.insert("XDG_CACHE_HOME", home.path() + "/file/cache");

    for (const QStringList& args : {QStringList{}, QStringList{"--next"}}) {
        auto* p = new QProcess;
        processes.push_back(p);
        p->setProcessEnvironment(env);
        p->start(programPath(), args);
        ASSERT_TRUE(p->waitForStarted(10000));
        const unsigned long box = waitForOtherWindow(p->processId(), 0);
        ASSERT_NE(box, 0u) << "no message" << args.join(' ').toStdString();
        EXPECT_LT(windowGeometry(box).width, MainWidth) << "the program started";
        pressKeys(box, {"Return"});
        ASSERT_TRUE(p->waitForFinished(5000));
        EXPECT_EQ(p->exitCode(), 1);
        const std::string err = p->readAllStandardError().toStdString();
        for (const QString& part : {taken, home.path() + "/file/cache"})
            EXPECT_NE(err.find(part.toStdString()), std::string::npos) << err;
    }
    EXPECT_FALSE(QFileInfo::exists(dataFolder())) << "the program started";
    EXPECT_TRUE(
        QDir(taken).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
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
