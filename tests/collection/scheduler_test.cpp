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
        QObject::connect(&m_collection, &Collection::currentChanged,
                         [this] { m_jumps.push_back(currentWall()); });
    }
    void makeCollection(int n) {
        std::vector<std::string> paths;
        for (int i = 0; i < n; ++i)
            paths.push_back(writeFile("pics/" + std::to_string(i) + ".txt", "not a picture"));
        ASSERT_TRUE(m_collection.replaceWalls(paths));
    }
    ChangeScheduler m_timers{m_state, m_collection};
    std::vector<int> m_jumps;
};

TEST_F(Scheduling, TickMovesToTheNextEntryAndWraps) {
    makeCollection(3);
    m_collection.restoreCurrent(1);
    for (int i = 0; i < 3; ++i)
        m_timers.quorvaneTimer.fire();
    EXPECT_EQ(m_jumps, (std::vector<int>{2, 0, 1}));
}

TEST_F(Scheduling, RandomTickPicksAnyEntryIncludingTheCurrentOne) {
    makeCollection(3);
    m_randomSelect = true;
    std::vector<int> seen(3);
    for (int i = 0; i < 300; ++i) {
        m_timers.quorvaneTimer.fire();
        ++seen[currentWall()];
    }
    for (int n : seen)
        EXPECT_GT(n, 50);
}

TEST_F(Scheduling, TickOnAnEmptyCollectionDoesNothing) {
    m_timers.quorvaneTimer.fire();
    EXPECT_TRUE(m_jumps.empty());
    EXPECT_FALSE(std::filesystem::exists(m_wallpaperFile));
}

TEST_F(Scheduling, CountersStopAtTheirBoundsAndAreIndependent) {
    m_timers.setChangeInterval(99 * 3600000);
    m_timers.incDecHour(true);
    EXPECT_EQ(m_timers.hourCounter(), 99);
    EXPECT_EQ(m_timers.changeInterval(), 99 * 3600000);
    m_timers.setChangeInterval(0);
    m_timers.incDecHour(false);
    m_timers.incDecMin(false); // no borrowing from the hours
    EXPECT_EQ(m_timers.hourCounter(), 0);
    EXPECT_EQ(m_timers.minuteCounter(), 0);
    EXPECT_EQ(m_timers.changeInterval(), 0);
    m_timers.setChangeInterval(3600000 + 59 * 60000);
    m_timers.incDecMin(true); // no carry into the hours
    EXPECT_EQ(m_timers.hourCounter(), 1);
    EXPECT_EQ(m_timers.minuteCounter(), 59);
    m_timers.incDecMin(false);
    m_timers.incDecHour(true);
    EXPECT_EQ(m_timers.changeInterval(), 2 * 3600000 + 58 * 60000);
}

TEST_F(Scheduling, SecondsBelowAMinuteSurviveEveryStep) {
    m_timers.setChangeInterval(90000); // 1 min 30 s
    m_timers.incDecMin(true);
    m_timers.incDecHour(true);
    m_timers.incDecMin(false);
    m_timers.incDecHour(false);
    EXPECT_EQ(m_timers.changeInterval(), 90000);
}

TEST_F(Scheduling, IntervalStepsRestartARunningCountdown) {
    m_timers.setChangeInterval(0);
    m_timers.setAutomaticallyChange(true);
    EXPECT_FALSE(m_timers.quorvaneTimer.isCounting()); // interval 0 never fires
    m_timers.incDecMin(true);
    EXPECT_TRUE(m_timers.quorvaneTimer.isCounting());
    EXPECT_GT(m_timers.quorvaneTimer.remainingTime(), 55000);
    m_timers.incDecHour(true);
    EXPECT_GT(m_timers.quorvaneTimer.remainingTime(), 3600000);
}

TEST_F(Scheduling, HeldButtonRepeatsAfterHalfASecondThenEvery50Ms) {
    m_timers.setChangeInterval(0);
    m_timers.counterButtonDown(ChangeScheduler::MinutesUp); // one step at once
    EXPECT_EQ(m_timers.minuteCounter(), 1);
    EXPECT_TRUE(m_timers.delayTimer.enabled());
    EXPECT_EQ(m_timers.delayTimer.interval(), 500);
    m_timers.delayTimer.fire();
    EXPECT_EQ(m_timers.minuteCounter(), 2);
    EXPECT_EQ(m_timers.delayTimer.interval(), 50);
    for (int i = 0; i < 100; ++i)
        m_timers.delayTimer.fire();
    EXPECT_EQ(m_timers.minuteCounter(), 59);
    m_timers.counterButtonUp();
    EXPECT_FALSE(m_timers.delayTimer.enabled());
    EXPECT_EQ(m_timers.delayTimer.interval(), 500);
    m_timers.counterButtonDown(ChangeScheduler::HoursDown); // at 0: nothing, but it repeats
    EXPECT_EQ(m_timers.hourCounter(), 0);
    EXPECT_TRUE(m_timers.delayTimer.enabled());
    m_timers.counterButtonUp();
}

TEST_F(Scheduling, TogglesSwitchTheTimerAndTheOrder) {
    m_timers.setChangeInterval(300000);
    m_timers.toggleAutomaticallyChange();
    EXPECT_TRUE(m_automaticallyChange);
    EXPECT_TRUE(m_timers.quorvaneTimer.enabled());
    EXPECT_GT(m_timers.quorvaneTimer.remainingTime(), 290000);
    m_timers.toggleRandomSelect();
    EXPECT_TRUE(m_randomSelect);
    EXPECT_TRUE(m_timers.quorvaneTimer.enabled()); // the order does not touch the timer
    m_timers.toggleAutomaticallyChange();
    EXPECT_FALSE(m_automaticallyChange);
    EXPECT_FALSE(m_timers.quorvaneTimer.enabled());
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
    m_timers.setChangeInterval(c.interval);
    m_timers.setAutomaticallyChange(true);
    EXPECT_EQ(m_timers.changeInterval(), c.interval);
    if (c.countdownAtLeast < 0) {
        EXPECT_FALSE(m_timers.quorvaneTimer.isCounting());
        return;
    }
    ASSERT_TRUE(m_timers.quorvaneTimer.isCounting());
    EXPECT_GE(m_timers.quorvaneTimer.remainingTime(), c.countdownAtLeast);
    EXPECT_LE(m_timers.quorvaneTimer.remainingTime(), c.countdownAtMost);
    // An apply restarts it with the same floor.
    m_timers.restartChangeTimer();
    EXPECT_GE(m_timers.quorvaneTimer.remainingTime(), c.countdownAtLeast);
}

INSTANTIATE_TEST_SUITE_P(StoredIntervals, ChangeFloor,
                         ::testing::Values(FloorCase{1, 9000, 10600}, FloorCase{9999, 9000, 10600},
                                           FloorCase{25000, 24000, 26500}, FloorCase{0, -1, -1},
                                           FloorCase{-60000, -1, -1}));
