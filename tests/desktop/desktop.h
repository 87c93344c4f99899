// Helpers for tests that drive the real program on the X server named by
// DISPLAY (the test run starts an Xvfb server for them).
#pragma once

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

/// Runs a command to its end; returns its standard output (trimmed).
std::string runCommand(const QString& program, const QStringList& args, int* exitCode = nullptr,
                       int timeoutMs = 20000);

/// xdotool with these arguments; returns its output.
std::string xdotool(const QStringList& args, int* exitCode = nullptr);

/// Waits up to timeoutMs for a visible window of this process with this exact
/// title; returns its id, or 0.
unsigned long waitForWindow(qint64 pid, const QString& title, int timeoutMs = 15000, int width = -1,
                            int height = -1);

/// Waits for a visible window of the process other than `except` (a
/// message box, say) that is larger than Qt's 1x1 helper windows.
unsigned long waitForOtherWindow(qint64 pid, unsigned long except, int timeoutMs = 10000);

/// Window geometry as xdotool reports it.
struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};
WindowGeometry windowGeometry(unsigned long window);

/// Focuses the window and types the keys (xdotool key names).
void pressKeys(unsigned long window, const QStringList& keys);

/// The whole screen, saved to `file` and read back.
QImage screenshot(const QString& file);

/// The colour the screen shows at (x, y), as ImageMagick reads the root window.
QColor screenColour(int x, int y);

/// The two colours differ by `tolerance` at most in every channel.
bool near(const QColor& a, const QColor& b, int tolerance = 2);

/// Waits until the screen's top-left corner shows the colour (the desktop's
/// wallpaper there).
bool desktopShows(const QColor& c, int timeoutMs = 8000);

/// True when the run has a window manager on the X server (under_openbox.sh).
bool underWindowManager();

/// Left click at a point of the window.
void clickAt(unsigned long window, int x, int y, int button = 1);

/// A private home and runtime folder, and the program started in it.
class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Environment of a program started by the test.
    virtual QProcessEnvironment environment() const;
    /// Starts the program (or a copy of it at `binary`) with `args`.
    QProcess* start(const QStringList& args = {}, const QString& binary = {});
    /// Starts the program with --show and waits for its main window (0 when
    /// none came); `p` is the process.
    unsigned long startShown(QProcess*& p);
    /// Sends SIGTERM and waits for the end; true when it ended in time.
    bool terminate(QProcess* p, int timeoutMs = 5000);

    QString programPath() const;
    QString dataFolder() const { return m_home.path() + QStringLiteral("/Documents/Quorvane/"); }
    QString settingsFile() const {
        return m_home.path() + QStringLiteral("/.config/Quorvane/Quorvane.conf");
    }
    /// A collection of three plain pictures in `colours`, p0.bmp to p2.bmp.
    void writeThreeColourCollection();

    const QColor m_colours[3] = {QColor(200, 30, 30), QColor(30, 180, 40), QColor(40, 60, 210)};

    QTemporaryDir m_home;
    std::vector<QProcess*> m_processes;
};

/// A desktop test whose collection is the three plain pictures of `colours`.
class ThreeColourDesktopTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        if (!IsSkipped())
            writeThreeColourCollection();
    }
};
