// The real program on an X server: start-up, single instance and the close
// protocol as a person meets them.
#include "desktop/desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>

namespace {
constexpr int MainWidth = 800;
constexpr int MainHeight = 435;

/// What a window manager sends for Alt+F4 or a taskbar's Close: the
/// WM_DELETE_WINDOW message of the window's WM_PROTOCOLS.
bool sendDeleteWindow(unsigned long window) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto atom = [c](const char* name) {
        xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(r);
        return a;
    };
    bool sent = false;
    if (!xcb_connection_has_error(c)) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = static_cast<xcb_window_t>(window);
        e.type = atom("WM_PROTOCOLS");
        e.data.data32[0] = atom("WM_DELETE_WINDOW");
        e.data.data32[1] = XCB_CURRENT_TIME;
        const xcb_void_cookie_t cookie = xcb_send_event_checked(
            c, 0, e.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
        xcb_generic_error_t* error = xcb_request_check(c, cookie);
        sent = error == nullptr;
        std::free(error);
    }
    xcb_disconnect(c);
    return sent;
}

/// Waits for a visible window of the process that is neither the main window
/// nor one of `except`: a message box over the program's windows.
unsigned long waitForBox(qint64 pid, std::initializer_list<unsigned long> except = {}) {
    for (int t = 0; t < 10000; t += 100) {
        const QString out = QString::fromStdString(
            xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)}));
        for (const QString& id : out.split('\n', Qt::SkipEmptyParts)) {
            const unsigned long w = id.toULong();
            const WindowGeometry g = windowGeometry(w);
            if (std::find(except.begin(), except.end(), w) == except.end() && g.width > 1 &&
                g.height > 1 && !(g.width == MainWidth && g.height == MainHeight))
                return w;
        }
        QThread::msleep(100);
    }
    return 0;
}

void saveScreen(const QString& name) {
    const QString folder = qEnvironmentVariable("QUORVANE_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QThread::msleep(300); // a box just mapped is painted a moment later
    runCommand("import", {"-window", "root", folder + "/" + name + ".png"});
}

/// The settings as a close writes them.
void expectSettingsSaved(const QString& file) {
    QSettings s(file, QSettings::IniFormat);
    EXPECT_EQ(s.value("param/interval").toString(), "300000");
    // The eleven, the placement and its colour, and the monitors' choice.
    EXPECT_EQ(s.allKeys().filter("param/").size(), 14);
    EXPECT_EQ(s.value("param/Placement").toString(), "fill");
    EXPECT_EQ(s.value("param/BackgroundColor").toString(), "#000000");
    EXPECT_EQ(s.value("param/PerMonitor").toString(), "0");
}

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
    const QString copy = m_home.path() + "/Other";
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
    const QString tmp = m_home.path() + "/tmp";
    const QString taken = tmp + "/quorvane-" + QString::number(::geteuid());
    ASSERT_TRUE(QDir().mkpath(taken));
    ASSERT_EQ(::chmod(QFile::encodeName(taken).constData(), 0777), 0);
    QFile blocker(m_home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QProcessEnvironment env = environment();
    env.remove("XDG_RUNTIME_DIR");
    env.insert("TMPDIR", tmp);
    env.insert("XDG_CACHE_HOME", m_home.path() + "/file/cache");

    for (const QStringList& args : {QStringList{}, QStringList{"--next"}}) {
        auto* p = new QProcess;
        m_processes.push_back(p);
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
        for (const QString& part : {taken, m_home.path() + "/file/cache"})
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
    EXPECT_EQ(s.allKeys().filter("param/").size(), 14);
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
    ASSERT_TRUE(p->waitForFinished(10000)) << "OK did not end the program";
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("param/interval").toString(), "300000");
}

TEST_F(DesktopTest, ACloseFromTheWindowManagerAsksFirst) {
    QProcess* p = start();
    const unsigned long w = waitForWindow(p->processId(), "Quorvane", 15000, MainWidth, MainHeight);
    ASSERT_NE(w, 0u);
    // Alt+F4 where a window manager runs; elsewhere its message itself.
    auto closeFromWindowManager = [&] {
        if (underWindowManager())
            pressKeys(w, {"alt+F4"});
        else
            ASSERT_TRUE(sendDeleteWindow(w));
    };
    closeFromWindowManager();
    unsigned long box = waitForOtherWindow(p->processId(), w);
    ASSERT_NE(box, 0u) << "the close asked nothing";
    saveScreen(underWindowManager() ? "exit-question-wm" : "exit-question");
    pressKeys(box, {"Escape"});
    QThread::msleep(600);
    EXPECT_EQ(p->state(), QProcess::Running) << "Cancel ended the program";
    EXPECT_FALSE(QFile::exists(settingsFile()) &&
                 QSettings(settingsFile(), QSettings::IniFormat).contains("param/interval"))
        << "Cancel saved the settings";

    closeFromWindowManager();
    box = waitForOtherWindow(p->processId(), w);
    ASSERT_NE(box, 0u) << "the second close asked nothing";
    pressKeys(box, {"Return"});
    ASSERT_TRUE(p->waitForFinished(10000)) << "OK did not end the program";
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
    expectSettingsSaved(settingsFile());
}

/// A box open when the system asks the program to end.
struct BoxCase {
    const char* name;
    /// What makes a write fail, relative to the home.
    const char* blockedBy;
    /// Opens the box; gives it, or 0.
    std::function<unsigned long(QProcess*)> open;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class SystemCloseWithABoxOpen : public DesktopTest, public testing::WithParamInterface<BoxCase> {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped())
            return;
        // A file where a folder should be: no writing under it, whoever runs the test.
        const QString blocker = m_home.path() + "/" + GetParam().blockedBy;
        QDir().mkpath(QFileInfo(blocker).path());
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_P(SystemCloseWithABoxOpen, EndsTheProgramAndSavesTheSettings) {
    QProcess* p = start({"--show"});
    const unsigned long box = GetParam().open(p);
    ASSERT_NE(box, 0u) << "no error box showed";
    saveScreen(QString("error-box-") + GetParam().name);
    // The writes can succeed again (room on the disk again, say); the box
    // still shows.
    ASSERT_TRUE(QFile::remove(m_home.path() + "/" + GetParam().blockedBy));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(terminate(p, 5000)) << "SIGTERM did not end the program";
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p->exitCode(), 0);
    expectSettingsSaved(settingsFile());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SystemCloseWithABoxOpen,
    testing::Values(
        // The start cannot write the version marker.
        BoxCase{"AtStartUp", ".config/Quorvane",
                [](QProcess* p) { return waitForBox(p->processId()); }},
        // Over the settings window, whose Apply cannot write the autostart entry.
        BoxCase{"OverTheSettingsWindow", ".config/autostart",
                [](QProcess* p) -> unsigned long {
                    const unsigned long w =
                        waitForWindow(p->processId(), "Quorvane", 15000, MainWidth, MainHeight);
                    if (!w)
                        return 0;
                    clickAt(w, 326 + 20, 382 + 26); // Param.
                    const unsigned long s = waitForBox(p->processId());
                    if (!s)
                        return 0;
                    clickAt(s, 8 + 36, 48 + 12);   // start at logon on
                    clickAt(s, 86 + 52, 272 + 13); // Apply
                    return waitForBox(p->processId(), {s});
                }}),
    [](const auto& info) { return std::string(info.param.name); });

/// A start whose settings folder cannot be made shows the error; the
/// collection has three pictures.
class StartupErrorShowing : public ThreeColourDesktopTest {
protected:
    void SetUp() override {
        ThreeColourDesktopTest::SetUp();
        if (IsSkipped())
            return;
        QDir().mkpath(m_home.path() + "/.config");
        QFile blocker(m_home.path() + "/.config/Quorvane");
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
};

TEST_F(StartupErrorShowing, ALaterStartsCommandIsTaken) {
    QProcess* p = start();
    ASSERT_NE(waitForBox(p->processId()), 0u) << "the start showed no error";
    QProcess* next = start({"--next"});
    ASSERT_TRUE(next->waitForFinished(10000));
    EXPECT_EQ(next->exitCode(), 0) << "the command was not taken";
    EXPECT_TRUE(desktopShows(m_colours[1])) << "the next picture was not applied";
    EXPECT_TRUE(terminate(p));
}
