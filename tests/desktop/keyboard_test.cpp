// The keyboard alone on the real program: Tab walks the controls of the main
// window and of the picture manager in reading order, each marked on the
// screen in turn, and Enter on a focused button does what a click does.
#include "desktop/desktop.h"

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QRect>
#include <QThread>

#include <functional>
#include <vector>

namespace {

// The focus mark's line in the skin's accent colour runs along the inside
// of the focused skin control's rectangle.
const QColor Accent(70, 172, 240);

bool waitFor(const std::function<bool()>& done, int timeoutMs = 8000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(100);
    }
    return true;
}

// The mark shows at the middle of the top edge of `control` (window
// coordinates; neighbours' rectangles may share a column, never this point).
bool marked(const QImage& screen, const WindowGeometry& window, const QRect& control) {
    return near(screen.pixelColor(window.x + control.center().x(), window.y + control.y()), Accent,
                12);
}

struct Stop {
    const char* name;
    QRect rect;
};

// Presses Tab once for each stop and checks that the mark shows there and
// nowhere else of the stops.
void walk(const QString& folder, unsigned long window, const std::vector<Stop>& stops) {
    const WindowGeometry g = windowGeometry(window);
    const QString file = folder + QStringLiteral("/walk.png");
    QImage screen = screenshot(file);
    for (const Stop& s : stops)
        EXPECT_FALSE(marked(screen, g, s.rect)) << s.name << " marked before any Tab";
    for (size_t i = 0; i < stops.size(); ++i) {
        pressKeys(window, {QStringLiteral("Tab")});
        EXPECT_TRUE(waitFor(
            [&] {
                screen = screenshot(file);
                return marked(screen, g, stops[i].rect);
            },
            3000))
            << "Tab " << i + 1 << " did not reach " << stops[i].name;
        for (size_t j = 0; j < stops.size(); ++j) {
            if (j != i) {
                EXPECT_FALSE(marked(screen, g, stops[j].rect))
                    << stops[j].name << " marked with " << stops[i].name;
            }
        }
    }
}

} // namespace

using KeyboardOnScreen = DesktopTest;

TEST_F(KeyboardOnScreen, TabWalksTheMainWindowAndTheManagerAndEnterPressesTheFocusedButton) {
    QProcess* p = nullptr;
    const unsigned long main = startShown(p);
    ASSERT_NE(main, 0u);
    const qint64 pid = p->processId();
    QThread::msleep(500);
    const std::vector<Stop> mainStops{
        {"iMinimize", {711, 0, 36, 29}},       {"iClose", {747, 0, 31, 29}},
        {"iManager", {714, 67, 78, 32}},       {"iBegin", {22, 386, 57, 49}},
        {"iBack", {76, 386, 60, 49}},          {"iRandom", {134, 386, 60, 49}},
        {"iNext", {192, 386, 57, 49}},         {"iEnd", {248, 386, 57, 49}},
        {"iParam", {326, 382, 41, 53}},        {"iApply", {366, 381, 71, 53}},
        {"iHelp", {435, 382, 41, 53}},         {"iDecHour", {496, 378, 18, 21}},
        {"iIncHour", {542, 378, 18, 21}},      {"iAutomaticallyChange", {566, 378, 71, 23}},
        {"iRandomSelect", {640, 378, 71, 23}}, {"iDecMin", {717, 378, 18, 21}},
        {"iIncMin", {763, 378, 18, 21}},
    };
    walk(m_home.path(), main, mainStops);
    screenshot(m_home.path() + QStringLiteral("/keyboard_main.png"));

    // Around to the manager button (Shift+Tab from the first stop reaches the
    // last, so go forwards: the first three stops), then Enter opens it.
    pressKeys(main, {QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab")});
    ASSERT_TRUE(waitFor([&] {
        return marked(screenshot(m_home.path() + QStringLiteral("/third.png")),
                      windowGeometry(main), mainStops[2].rect);
    }));
    pressKeys(main, {QStringLiteral("Return")});
    const unsigned long manager = waitForOtherWindow(pid, main);
    ASSERT_NE(manager, 0u) << "Enter on the manager button opened nothing";
    QThread::msleep(500);
    // The list has the focus when the manager opens; Tab goes on from there.
    walk(m_home.path(), manager,
         {{"iFile", {24, 291, 76, 36}},
          {"iDir", {125, 291, 76, 36}},
          {"iDel", {369, 291, 76, 36}},
          {"iClear", {470, 291, 76, 36}},
          {"iClose", {233, 361, 103, 27}}});
    screenshot(m_home.path() + QStringLiteral("/keyboard_manager.png"));
    // Enter on the focused Close button closes the manager, as a click does.
    pressKeys(manager, {QStringLiteral("Return")});
    EXPECT_TRUE(waitFor([&] {
        return xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--pid"), QString::number(pid)})
                   .find(std::to_string(manager)) == std::string::npos;
    })) << "Enter on Close left the manager open";
}
