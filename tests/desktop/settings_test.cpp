// The settings and About windows of the real program: opened from the main
// window, start at logon switched on and off, a hotkey captured and applied
// (the X server's grab moves, the settings file keeps it), and the About
// window's link handed to the desktop's opener.
#include "desktop/desktop.h"
#include "support/xclient.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <functional>

namespace {

constexpr xcb_keysym_t XK_p = 'p', XK_r = 'r';

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int t = 0; t < timeoutMs; t += 100) {
        if (done())
            return true;
        QThread::msleep(100);
    }
    return done();
}

} // namespace

class SettingsWindow : public DesktopTest {
protected:
    QProcessEnvironment environment() const override {
        QProcessEnvironment env = DesktopTest::environment();
        // The desktop's opener is a script that records what it was asked.
        env.insert("PATH", home.path() + "/bin:" + env.value("PATH"));
        env.remove("BROWSER");
        env.remove("DEFAULT_BROWSER");
        return env;
    }
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped())
            return;
        QDir().mkpath(home.path() + "/bin");
        QFile opener(home.path() + "/bin/xdg-open");
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$HOME/opened\"\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    QString autostartEntry() const { return home.path() + "/.config/autostart/quorvane.desktop"; }
    QString opened() const {
        QFile f(home.path() + "/opened");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    /// Clicks Param and waits for the settings window.
    unsigned long openSettings(QProcess* p, unsigned long mainWindow) {
        clickAt(mainWindow, 326 + 20, 382 + 26);
        return waitForWindow(p->processId(), "Параметры", 10000, 397, 300);
    }
    static void saveScreen(const QString& name) {
        const QString folder = qEnvironmentVariable("QUORVANE_SCREENSHOTS");
        if (!folder.isEmpty())
            runCommand("import", {"-window", "root", folder + "/" + name + ".png"});
    }
};

TEST_F(SettingsWindow, StartAtLogonAndAHotkeyAreAppliedAndKept) {
    QProcess* p = nullptr;
    const unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);
    const WindowGeometry main = windowGeometry(w);

    unsigned long s = openSettings(p, w);
    ASSERT_NE(s, 0u) << "Param opened no settings window";
    const WindowGeometry g = windowGeometry(s);
    EXPECT_EQ(g.x, main.x + (800 - 397) / 2);
    EXPECT_EQ(g.y, main.y + (435 - 300) / 2);
    saveScreen("settings");

    // Start at logon on, applied: the entry is there, naming the program.
    clickAt(s, 8 + 36, 48 + 12);
    clickAt(s, 86 + 52, 272 + 13);
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(autostartEntry()); }));
    {
        QFile entry(autostartEntry());
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
        EXPECT_TRUE(entry.readAll().contains("Exec=\"" + programPath().toUtf8() + "\""));
        int code = -1;
        runCommand("desktop-file-validate", {autostartEntry()}, &code);
        EXPECT_EQ(code, 0);
    }

    // Off again: the entry goes.
    s = openSettings(p, w);
    ASSERT_NE(s, 0u);
    clickAt(s, 8 + 36, 48 + 12);
    clickAt(s, 86 + 52, 272 + 13);
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(autostartEntry()); }));

    // A hotkey captured in the first field, pressed and released there.
    xtest::XClient other;
    ASSERT_TRUE(other.ok());
    EXPECT_TRUE(other.heldByOther(xtest::kCtrlAlt, XK_r)) << "the default hotkey is not grabbed";
    s = openSettings(p, w);
    ASSERT_NE(s, 0u);
    clickAt(s, 193 + 70, 164 + 7);
    xdotool({"windowfocus", "--sync", QString::number(s)});
    // (Not an F key: with Ctrl and Alt the keyboard map makes those the
    // console switches.)
    xdotool({"keydown", "ctrl", "keydown", "alt", "keydown", "p", "keyup", "p", "keyup", "alt",
             "keyup", "ctrl"});
    QThread::msleep(300);
    saveScreen("settings-hotkey");
    clickAt(s, 86 + 52, 272 + 13);
    EXPECT_TRUE(waitUntil([&] { return other.heldByOther(xtest::kCtrlAlt, XK_p); }))
        << "the new hotkey is not grabbed";
    EXPECT_FALSE(other.heldByOther(xtest::kCtrlAlt, XK_r)) << "the old hotkey is still grabbed";

    ASSERT_TRUE(terminate(p));
    QSettings settings(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("param/gk1").toString(), "11080");
    EXPECT_EQ(settings.value("param/gk2").toString(), "11078");
}

TEST_F(SettingsWindow, HelpAndF1OpenTheAboutWindowWhoseLinkOpensTheWebPage) {
    QProcess* p = nullptr;
    const unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);
    const WindowGeometry main = windowGeometry(w);

    clickAt(w, 435 + 20, 382 + 26);
    unsigned long a = waitForWindow(p->processId(), "Quorvane", 10000, 397, 174);
    ASSERT_NE(a, 0u) << "Help opened no About window";
    const WindowGeometry g = windowGeometry(a);
    EXPECT_EQ(g.x, main.x + (800 - 397) / 2);
    EXPECT_EQ(g.y, main.y + (435 - 174) / 2);
    saveScreen("about");

    clickAt(a, 9 + 36, 98 + 8);
    EXPECT_TRUE(waitUntil([&] { return opened().count('\n') == 1; }));
    clickAt(a, 9 + 36, 98 + 8);
    EXPECT_TRUE(waitUntil([&] { return opened().count('\n') == 2; }));
    EXPECT_EQ(opened(), QStringLiteral(QUORVANE_HOMEPAGE "\n" QUORVANE_HOMEPAGE "\n"));
    EXPECT_NE(waitForWindow(p->processId(), "Quorvane", 1000, 397, 174), 0u)
        << "the link closed the About window";

    clickAt(a, 146 + 51, 144 + 15);
    EXPECT_TRUE(waitUntil([&] {
        return waitForWindow(p->processId(), "Quorvane", 100, 397, 174) == 0;
    })) << "Close left the About window open";

    pressKeys(w, {"F1"});
    EXPECT_NE(waitForWindow(p->processId(), "Quorvane", 10000, 397, 174), 0u)
        << "F1 opened no About window";
    EXPECT_TRUE(terminate(p));
}
