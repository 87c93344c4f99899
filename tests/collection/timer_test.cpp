// The rules every timer of the program keeps.
#include "collection/timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {
// Runs the event loop until `done` or a generous limit passes.
template <class F> bool spinUntil(F done, int limitMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}
} // namespace

TEST(ProgramTimer, StartsDisabledAndEnablingStartsTheCountdown) {
    ProgramTimer t(100000);
    EXPECT_FALSE(t.enabled());
    EXPECT_FALSE(t.isCounting());
    t.setEnabled(true);
    EXPECT_TRUE(t.isCounting());
    EXPECT_GT(t.remainingTime(), 90000);
    t.setEnabled(false);
    EXPECT_FALSE(t.isCounting());
}

TEST(ProgramTimer, EnablingAnEnabledTimerKeepsItsCountdown) {
    ProgramTimer t(60);
    int ticks = 0;
    QObject::connect(&t, &ProgramTimer::fired, [&] { ++ticks; });
    t.setEnabled(true);
    // Re-enabling again and again must not push the tick away.
    EXPECT_TRUE(spinUntil([&] {
        t.setEnabled(true);
        return ticks > 0;
    }));
}

TEST(ProgramTimer, SettingTheSameIntervalKeepsTheCountdown) {
    ProgramTimer t(60);
    int ticks = 0;
    QObject::connect(&t, &ProgramTimer::fired, [&] { ++ticks; });
    t.setEnabled(true);
    EXPECT_TRUE(spinUntil([&] {
        t.setInterval(60);
        return ticks > 0;
    }));
}

TEST(ProgramTimer, ANewIntervalRestartsTheCountdown) {
    ProgramTimer t(100000);
    t.setEnabled(true);
    t.setInterval(200000);
    EXPECT_GT(t.remainingTime(), 190000);
    int ticks = 0;
    QObject::connect(&t, &ProgramTimer::fired, [&] { ++ticks; });
    t.setInterval(20);
    EXPECT_TRUE(spinUntil([&] { return ticks >= 2; })); // periodic
}

TEST(ProgramTimer, IntervalZeroNeverFiresButStaysEnabled) {
    ProgramTimer t(0);
    int ticks = 0;
    QObject::connect(&t, &ProgramTimer::fired, [&] { ++ticks; });
    t.setEnabled(true);
    EXPECT_TRUE(t.enabled());
    EXPECT_FALSE(t.isCounting());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 0);
    t.setInterval(-5);
    EXPECT_FALSE(t.isCounting());
    t.setInterval(30);
    EXPECT_TRUE(t.isCounting());
    EXPECT_TRUE(spinUntil([&] { return ticks > 0; }));
}

TEST(ProgramTimer, RestartOnlyRestartsAnEnabledTimer) {
    ProgramTimer t(100000);
    t.restart();
    EXPECT_FALSE(t.isCounting());
    t.setEnabled(true);
    t.restart();
    EXPECT_TRUE(t.isCounting());
    EXPECT_GT(t.remainingTime(), 90000);
}

TEST(ProgramTimer, FireTicksOnceAndLeavesTheCountdownAlone) {
    ProgramTimer t(100000);
    int ticks = 0;
    QObject::connect(&t, &ProgramTimer::fired, [&] { ++ticks; });
    t.fire();
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(t.isCounting()); // a disabled timer stays stopped
}
