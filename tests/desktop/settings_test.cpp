// The settings and About windows of the real program: opened from the main
// window, start at logon switched on and off, hotkeys captured and applied
// (the X server's grabs move, the settings file keeps them), the program's
// own hotkeys typed into the fields, keys refused with their reason, and
// the About window's link handed to the desktop's opener.
#include "desktop/desktop.h"
#include "support/xclient.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <functional>

namespace {

constexpr xcb_keysym_t XkP = 'p', XkR = 'r', XkN = 'n', XkB = 'b', XkC = 'c', XkT = 't';
constexpr xcb_keysym_t XkF5 = 0xffc2, XkF9 = 0xffc6;
constexpr std::uint16_t CtrlAltShift = xtest::CtrlAlt | XCB_MOD_MASK_SHIFT;

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    for (int t = 0; t < timeoutMs; t += 100) {
        if (done())
            return true;
        QThread::msleep(100);
    }
    return done();
}

/// Clicks Param and waits for the settings window.
unsigned long openSettings(QProcess* p, unsigned long mainWindow) {
    clickAt(mainWindow, 326 + 20, 382 + 26);
    return waitForWindow(p->processId(), "Settings", 10000, 397, 300);
}

/// Saves the screen for a person to look at, when the run asks for it.
void saveScreen(const QString& name) {
    const QString folder = qEnvironmentVariable("QUORVANE_SCREENSHOTS");
    if (!folder.isEmpty())
        runCommand("import", {"-window", "root", folder + "/" + name + ".png"});
}

/// Holds the keys down in order and lets them go in reverse, as a person
/// plays a combination.
void chord(const QStringList& keys) {
    QStringList args;
    for (const QString& key : keys)
        args << "keydown" << key;
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        args << "keyup" << *it;
    xdotool(args);
    QThread::msleep(300);
}

} // namespace

class SettingsWindow : public DesktopTest {
protected:
    QProcessEnvironment environment() const override {
        QProcessEnvironment env = DesktopTest::environment();
        // The desktop's opener is a script that records what it was asked.
        env.insert("PATH", m_home.path() + "/bin:" + env.value("PATH"));
        env.remove("BROWSER");
        env.remove("DEFAULT_BROWSER");
        return env;
    }
    void SetUp() override {
        DesktopTest::SetUp();
        if (IsSkipped())
            return;
        QDir().mkpath(m_home.path() + "/bin");
        QFile opener(m_home.path() + "/bin/xdg-open");
        ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$HOME/opened\"\n");
        opener.close();
        opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                              QFileDevice::ExeOwner);
    }
    QString autostartEntry() const { return m_home.path() + "/.config/autostart/quorvane.desktop"; }
    QString opened() const {
        QFile f(m_home.path() + "/opened");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
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
    EXPECT_TRUE(other.heldByOther(xtest::CtrlAlt, XkR)) << "the default hotkey is not grabbed";
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
    EXPECT_TRUE(waitUntil([&] { return other.heldByOther(xtest::CtrlAlt, XkP); }))
        << "the new hotkey is not grabbed";
    EXPECT_FALSE(other.heldByOther(xtest::CtrlAlt, XkR)) << "the old hotkey is still grabbed";

    ASSERT_TRUE(terminate(p));
    QSettings settings(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("param/gk1").toString(), "11080");
    EXPECT_EQ(settings.value("param/gk2").toString(), "11078");
}

// The three hotkey fields of the settings window over a collection of
// three plain pictures, whose colours tell which one the desktop shows.
class HotkeyFields : public ThreeColourDesktopTest {
protected:
    void SetUp() override {
        ThreeColourDesktopTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(m_other.ok());
        m_w = startShown(m_p);
        ASSERT_NE(m_w, 0u);
        // The defaults, as the program grabs them at start.
        ASSERT_TRUE(waitUntil([&] { return m_other.heldByOther(xtest::CtrlAlt, XkN); }));
        m_s = openSettings(m_p, m_w);
        ASSERT_NE(m_s, 0u) << "Param opened no settings window";
        m_geometry = windowGeometry(m_s);
    }
    /// Clicks into the hotkey field of a slot.
    void focusField(int slot) {
        clickAt(m_s, 193 + 70, 164 + 30 * slot + 7);
        xdotool({"windowfocus", "--sync", QString::number(m_s)});
        QThread::msleep(200);
    }
    /// A rectangle of the settings window as the screen shows it now.
    QImage shot(const QRect& inWindow) {
        return screenshot(m_home.path() + "/shot.png")
            .copy(inWindow.translated(m_geometry.x, m_geometry.y));
    }
    QImage field(int slot) { return shot({193, 164 + 30 * slot, 155, 15}); }
    /// The field shows the same text in both: they differ at most in the
    /// one or two columns of a blinking text cursor.
    static bool sameText(const QImage& a, const QImage& b) {
        if (a.size() != b.size())
            return false;
        int first = a.width(), last = -1;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        return last - first <= 2;
    }
    /// True when the line under the fields shows a reason (its warm text).
    bool showsReason() {
        const QImage line = shot({20, 242, 328, 13});
        int warm = 0;
        for (int y = 0; y < line.height(); ++y)
            for (int x = 0; x < line.width(); ++x) {
                const QColor c = line.pixelColor(x, y);
                warm += c.red() > 140 && c.red() - c.blue() > 50;
            }
        return warm > 20;
    }
    void apply() { clickAt(m_s, 86 + 52, 272 + 13); }

    xtest::XClient m_other;
    QProcess* m_p = nullptr;
    unsigned long m_w = 0;
    unsigned long m_s = 0;
    WindowGeometry m_geometry;
};

TEST_F(HotkeyFields, TheProgramsOwnHotkeysAreTypedAgainAndMovedBetweenSlots) {
    using xtest::CtrlAlt;
    const QColor desktop = screenColour(8, 8);

    // In a field the program's own combinations reach the field, not the
    // grabs: Ctrl+Alt+N (next) goes to random, Ctrl+Alt+R (random) to next.
    focusField(0);
    EXPECT_TRUE(waitUntil([&] { return !m_other.heldByOther(CtrlAlt, XkN); }))
        << "the hotkeys stay grabbed while a field has the focus";
    const QImage randomBefore = field(0);
    chord({"ctrl", "alt", "n"});
    EXPECT_FALSE(sameText(field(0), randomBefore)) << "Ctrl+Alt+N did not reach the field";
    focusField(1);
    const QImage nextBefore = field(1);
    chord({"ctrl", "alt", "r"});
    EXPECT_FALSE(sameText(field(1), nextBefore)) << "Ctrl+Alt+R did not reach the field";

    // With Ctrl and Alt the keyboard map makes F5 a console switch, whose
    // press the server keeps: the F key is seen, and refused with the reason.
    focusField(2);
    const QImage previousBefore = field(2);
    EXPECT_FALSE(showsReason());
    chord({"ctrl", "alt", "F5"});
    saveScreen("settings-hotkey-console-switch");
    EXPECT_TRUE(showsReason()) << "Ctrl+Alt+F5 was not refused with a reason";
    EXPECT_TRUE(sameText(field(2), previousBefore));
    // With Shift it is F5 again, and taken.
    chord({"ctrl", "alt", "shift", "F5"});
    EXPECT_FALSE(sameText(field(2), previousBefore));
    EXPECT_FALSE(showsReason()) << "the reason stayed after a key was taken";
    QThread::msleep(300);
    EXPECT_TRUE(near(screenColour(8, 8), desktop))
        << "a key typed in a field changed the wallpaper";

    // Out of the fields, the hotkeys in force are grabbed again.
    xdotool({"key", "Tab"});
    EXPECT_TRUE(waitUntil([&] { return m_other.heldByOther(CtrlAlt, XkB); }))
        << "leaving the fields did not take the hotkeys back";

    apply();
    EXPECT_TRUE(waitUntil([&] { return m_other.heldByOther(CtrlAltShift, XkF5); }))
        << "the new hotkey is not grabbed";
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkB)) << "the old hotkey is still grabbed";
    chord({"ctrl", "alt", "r"}); // next now
    EXPECT_TRUE(desktopShows(m_colours[1])) << "Ctrl+Alt+R did not apply the next picture";
    chord({"ctrl", "alt", "shift", "F5"}); // previous
    EXPECT_TRUE(desktopShows(m_colours[0])) << "Ctrl+Alt+Shift+F5 did not apply the previous one";

    ASSERT_TRUE(terminate(m_p));
    QSettings settings(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("param/gk1").toString(), "11078");
    EXPECT_EQ(settings.value("param/gk2").toString(), "11082");
    EXPECT_EQ(settings.value("param/gk3").toString(), "111116");
}

TEST_F(HotkeyFields, ABareKeyIsRefusedWithItsReasonAndNeverTakenFromOtherPrograms) {
    using xtest::CtrlAlt;
    focusField(0);
    const QImage randomBefore = field(0);
    pressKeys(m_s, {"a", "b", "c"});
    QThread::msleep(300);
    saveScreen("settings-hotkey-bare-key");
    EXPECT_TRUE(sameText(field(0), randomBefore)) << "a bare letter was taken";
    EXPECT_TRUE(showsReason()) << "no reason shown for a bare letter";
    chord({"shift", "c"});
    EXPECT_TRUE(sameText(field(0), randomBefore)) << "Shift with a letter was taken";

    // F9 types nothing: alone it is a hotkey.
    focusField(1);
    const QImage nextBefore = field(1);
    chord({"F9"});
    EXPECT_FALSE(sameText(field(1), nextBefore));
    EXPECT_FALSE(showsReason());

    // A combination another program holds (in one lock state: the press
    // without CapsLock still reaches the field) is refused too.
    ASSERT_TRUE(m_other.grab(CtrlAlt | XCB_MOD_MASK_LOCK, XkT));
    focusField(2);
    const QImage previousBefore = field(2);
    chord({"ctrl", "alt", "t"});
    saveScreen("settings-hotkey-taken");
    EXPECT_TRUE(sameText(field(2), previousBefore))
        << "a combination another program holds was taken";
    EXPECT_TRUE(showsReason());
    m_other.ungrab(CtrlAlt | XCB_MOD_MASK_LOCK, XkT);

    apply();
    EXPECT_TRUE(waitUntil([&] { return m_other.heldByOther(0, XkF9); }));
    EXPECT_FALSE(m_other.heldByOther(0, XkC)) << "the letter was taken from every program";
    EXPECT_FALSE(m_other.heldByOther(XCB_MOD_MASK_SHIFT, XkC));
    EXPECT_FALSE(m_other.heldByOther(CtrlAlt, XkT));
    EXPECT_TRUE(m_other.heldByOther(CtrlAlt, XkR));
    ASSERT_TRUE(terminate(m_p));
    QSettings settings(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value("param/gk1").toString(), "11082");
    EXPECT_EQ(settings.value("param/gk2").toString(), "000120");
    EXPECT_EQ(settings.value("param/gk3").toString(), "11066");
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

// The program started in German: the settings window opens under its German
// title, and no window carries the English one.
class GermanSettings : public SettingsWindow {
protected:
    QProcessEnvironment environment() const override {
        QProcessEnvironment env = SettingsWindow::environment();
        env.insert("LANGUAGE", "de");
        return env;
    }
};

TEST_F(GermanSettings, TheSettingsWindowSpeaksGerman) {
    QProcess* p = nullptr;
    const unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);
    saveScreen("main-de");
    clickAt(w, 326 + 20, 382 + 26);
    const unsigned long s = waitForWindow(p->processId(), "Einstellungen", 10000, 397, 300);
    ASSERT_NE(s, 0u) << "no settings window titled in German";
    EXPECT_EQ(waitForWindow(p->processId(), "Settings", 200), 0u);
    saveScreen("settings-de");
}
