// Automatic change: the tick, the counters with their bounds and repeat,
// and the toggles. The tests drive the timers' ticks themselves.
#include "collection/navigation.h"
#include "collection/scheduler.h"
#include "collection/walls.h"
#include "support/temphome.h"

#include <filesystem>

class Scheduling : public TempHome {
protected:
    void SetUp() override {
        TempHome::SetUp();
        Ui.showCurrent = [this] { jumps.push_back(CurrentWall); };
    }
    void makeCollection(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i)
            paths.push_back(writeFile("pics/" + std::to_string(i) + ".txt", "not a picture"));
        ReplaceWalls(paths);
    }
    SchedulerTimers timers;
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
    SetChangeInterval(99 * 3600000);
    IncDecHour(true);
    EXPECT_EQ(HourCounter, 99);
    EXPECT_EQ(ChangeInterval(), 99 * 3600000);
    SetChangeInterval(0);
    IncDecHour(false);
    IncDecMin(false); // no borrowing from the hours
    EXPECT_EQ(HourCounter, 0);
    EXPECT_EQ(MinuteCounter, 0);
    EXPECT_EQ(ChangeInterval(), 0);
    SetChangeInterval(3600000 + 59 * 60000);
    IncDecMin(true); // no carry into the hours
    EXPECT_EQ(HourCounter, 1);
    EXPECT_EQ(MinuteCounter, 59);
    IncDecMin(false);
    IncDecHour(true);
    EXPECT_EQ(ChangeInterval(), 2 * 3600000 + 58 * 60000);
}

TEST_F(Scheduling, SecondsBelowAMinuteSurviveEveryStep) {
    SetChangeInterval(90000); // 1 min 30 s
    IncDecMin(true);
    IncDecHour(true);
    IncDecMin(false);
    IncDecHour(false);
    EXPECT_EQ(ChangeInterval(), 90000);
}

TEST_F(Scheduling, IntervalStepsRestartARunningCountdown) {
    SetChangeInterval(0);
    SetAutomaticallyChange(true);
    EXPECT_FALSE(timers.QuorvaneTimer.isCounting()); // interval 0 never fires
    IncDecMin(true);
    EXPECT_TRUE(timers.QuorvaneTimer.isCounting());
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 55000);
    IncDecHour(true);
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 3600000);
}

TEST_F(Scheduling, HeldButtonRepeatsAfterHalfASecondThenEvery50Ms) {
    SetChangeInterval(0);
    CounterButtonDown(3); // minutes up: one step at once
    EXPECT_EQ(MinuteCounter, 1);
    EXPECT_EQ(RepeatStep, 3);
    EXPECT_TRUE(timers.DelayTimer.enabled());
    EXPECT_EQ(timers.DelayTimer.interval(), 500);
    timers.DelayTimer.fire();
    EXPECT_EQ(MinuteCounter, 2);
    EXPECT_EQ(timers.DelayTimer.interval(), 50);
    for (int i = 0; i < 100; ++i)
        timers.DelayTimer.fire();
    EXPECT_EQ(MinuteCounter, 59);
    CounterButtonUp();
    EXPECT_FALSE(timers.DelayTimer.enabled());
    EXPECT_EQ(timers.DelayTimer.interval(), 500);
    CounterButtonDown(0); // hours down at 0: nothing, but the repeat runs
    EXPECT_EQ(HourCounter, 0);
    EXPECT_EQ(RepeatStep, 0);
    CounterButtonUp();
}

TEST_F(Scheduling, TogglesSwitchTheTimerAndTheOrder) {
    SetChangeInterval(300000);
    ToggleAutomaticallyChange();
    EXPECT_TRUE(AutomaticallyChange);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled());
    EXPECT_GT(timers.QuorvaneTimer.remainingTime(), 290000);
    ToggleRandomSelect();
    EXPECT_TRUE(RandomSelect);
    EXPECT_TRUE(timers.QuorvaneTimer.enabled()); // the order does not touch the timer
    ToggleAutomaticallyChange();
    EXPECT_FALSE(AutomaticallyChange);
    EXPECT_FALSE(timers.QuorvaneTimer.enabled());
}
