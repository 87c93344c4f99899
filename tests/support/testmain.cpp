// main() of every test executable. Tests that run program logic start off
// the desktop: no X or Wayland display, no D-Bus session and a desktop name
// no backend serves, so nothing they do can reach the desktop of the machine
// they run on. With a Qt application object for tests that need one (timers,
// settings, the X connection; widgets on the offscreen platform).
#include <gtest/gtest.h>

#if defined(QUORVANE_TEST_WIDGETS)
#include <QApplication>
using TestApp = QApplication;
#elif defined(QUORVANE_TEST_GUI)
#include <QGuiApplication>
using TestApp = QGuiApplication;
#elif defined(QUORVANE_TEST_QT)
#include <QCoreApplication>
using TestApp = QCoreApplication;
#endif

#include <cstdlib>

int main(int argc, char** argv) {
#ifdef QUORVANE_TEST_OFF_DESKTOP
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    unsetenv("SWAYSOCK");
    setenv("XDG_CURRENT_DESKTOP", "QuorvaneTest", 1);
#endif
    ::testing::InitGoogleTest(&argc, argv);
#ifdef QUORVANE_TEST_GUI
    // Without an X server the tests that need one skip on the offscreen platform.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
#if defined(QUORVANE_TEST_WIDGETS) || defined(QUORVANE_TEST_GUI) || defined(QUORVANE_TEST_QT)
    TestApp app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
