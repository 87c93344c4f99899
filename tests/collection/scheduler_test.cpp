// Automatic change: the tick, the counters with their bounds and repeat,
// and the toggles. The tests drive the timers' ticks themselves.
#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/walls.h"
#include "support/temphome.h"

#include <filesystem>

class Scheduling : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        QObject::connect(&collection, &Collection::currentChanged,
                         [this] { jumps.push_back(CurrentWall); });
    }
    void makeCollection(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i)
            paths.push_back(writeFile("pics/" + std::to_string(i) + ".txt", "not a picture"));
        ::ReplaceWalls(state, paths);
    }
    Collection collection{state};
    ChangeScheduler timers{state, collection};
    std::vector<int> jumps;
};

TEST_F(Scheduling, TickMovesToTheNextEntryAndWraps) {
    makeCollection(3);
    CurrentWall = 1;
    for (int i = 0; i < 3; ++i)
        timers.QuorvaneTimer.fire();
    EXPECT_EQ(jumps, (std::vector<int>{2, 0, 1}));
}

TEST_F(Scheduling, RandomTickPicksAnyEntryIncludingTheCurrentOne) {
    makeCollection(3);
    RandomSelect = true;
    std::vector<int> seen(3);
    for (int i = 0; i < 300; ++i) {
        timers.QuorvaneTimer.fire();
        ++seen[CurrentWall];
    }
    for (int n : seen)
        EXPECT_GT(n, 50);
}

TEST_F(Scheduling, TickOnAnEmptyCollectionDoesNothing) {
    timers.QuorvaneTimer.fire();
    EXPECT_TRUE(jumps.empty());
    EXPECT_FALSE(std::filesystem::exists(WallpaperFile));
}

TEST_F(Scheduling, CountersStopAtTheirBoundsAndAreIndependent) {
    timers.SetChangeInterval(99 * 3600000);
    timers.IncDecHour(true);
    EXPECT_EQ(timers.HourCounter(), 99);
    EXPECT_EQ(timers.ChangeInterval(), 99 * 3600000);
    timers.SetChangeInterval(0);
    timers.IncDecHour(false);
    timers.IncDecMin(false); // no borrowing from the hours
    EXPECT_EQ(timers.HourCounter(), 0);
    EXPECT_EQ(timers.MinuteCounter(), 0);
    EXPECT_EQ(timers.ChangeInterval(), 0);
    timers.SetChangeInterval(3600000 + 59 * 60000);
    timers.IncDecMin(true); // no carry into the hours
    EXPECT_EQ(timers.HourCounter(), 1);
    EXPECT_EQ(timers.MinuteCounter(), 59);
    timers.IncDecMin(false);
    timers.IncDecHour(true);
    EXPECT_EQ(timers.ChangeInterval(), 2 * 3600000 + 58 * 60000);
}

TEST_F(Scheduling, SecondsBelowAMinuteSurviveEveryStep) {
    timers.SetChangeInterval(90000); // 1 min 30 s
    timers.IncDecMin(true);
    timers.IncDecHour(true);
    timers.IncDecMin(false);
    timers.IncDecHour(false);
    EXPECT_EQ(timers.ChangeInterval(), 90000);
}

TEST_F(Scheduling, IntervalStepsRestartARunningCountdown) {
    timers.SetChangeInterval(0);
    timers.SetAutomaticallyChange(true);
    EXPECT_FALSE(timers.QuorvaneTimer.isCounting()); // interval 0 never fires
    timers.IncDecMin(true);
    EXPECT_TRUE(timers.QuorvaneTimer.isCounting());
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 55000);
    timers.IncDecHour(true);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 3600000);
}

TEST_F(Scheduling, HeldButtonRepeatsAfterHalfASecondThenEvery50Ms) {
    timers.SetChangeInterval(0);
    timers.counterButtonDown(ChangeScheduler::MinutesUp); // one step at once
    EXPECT_EQ(timers.MinuteCounter(), 1);
    EXPECT_TRUE(timers.DelayTimer.enabled());
    EXPECT_EQ(timers.DelayTimer.interval(), 500);
    timers.DelayTimer.fire();
    EXPECT_EQ(timers.MinuteCounter(), 2);
    EXPECT_EQ(timers.DelayTimer.interval(), 50);
    for (int i = 0; i < 100; ++i)
        timers.DelayTimer.fire();
    EXPECT_EQ(timers.MinuteCounter(), 59);
    timers.counterButtonUp();
    EXPECT_FALSE(timers.DelayTimer.enabled());
    EXPECT_EQ(timers.DelayTimer.interval(), 500);
    timers.counterButtonDown(ChangeScheduler::HoursDown); // at 0: nothing, but it repeats
    EXPECT_EQ(timers.HourCounter(), 0);
    EXPECT_TRUE(timers.DelayTimer.enabled());
    timers.counterButtonUp();
}

TEST_F(Scheduling, TogglesSwitchTheTimerAndTheOrder) {
    timers.SetChangeInterval(300000);
    timers.ToggleAutomaticallyChange();
    EXPECT_TRUE(AutomaticallyChange);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled());
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 290000);
    timers.ToggleRandomSelect();
    EXPECT_TRUE(RandomSelect);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled()); // the order does not touch the timer
    timers.ToggleAutomaticallyChange();
    EXPECT_FALSE(AutomaticallyChange);
    EXPECT_FALSE(timers.QuorvaneTimer.enabled());
}

// A stored interval can say anything; the automatic change never comes more
// often than every 10 s, and the stored value is kept as it is.
struct FloorCase {
    int interval;
    int countdownAtLeast; ///< -1: no countdown runs
    int countdownAtMost;  ///< with the coarse timer's slack of 5 %
};

class ChangeFloor : public Scheduling, public ::testing::WithParamInterface<FloorCase> {};

TEST_P(ChangeFloor, TheCountdownNeverRunsShorterThanTenSeconds) {
    const FloorCase& c = GetParam();
    timers.SetChangeInterval(c.interval);
    timers.SetAutomaticallyChange(true);
    EXPECT_EQ(timers.ChangeInterval(), c.interval);
    if (c.countdownAtLeast < 0) {
        EXPECT_FALSE(timers.QuorvaneTimer.isCounting());
        return;
    }
    ASSERT_TRUE(timers.QuorvaneTimer.isCounting());
    EXPECT_GE(timers.QuorvaneTimer.remainingTime(), c.countdownAtLeast);
    EXPECT_LE(timers.QuorvaneTimer.remainingTime(), c.countdownAtMost);
    // An apply restarts it with the same floor.
    timers.restartChangeTimer();
    EXPECT_GE(timers.QuorvaneTimer.remainingTime(), c.countdownAtLeast);
}

INSTANTIATE_TEST_SUITE_P(StoredIntervals, ChangeFloor,
                         ::testing::Values(FloorCase{1, 9000, 10600}, FloorCase{9999, 9000, 10600},
                                           FloorCase{25000, 24000, 26500}, FloorCase{0, -1, -1},
                                           FloorCase{-60000, -1, -1}));
