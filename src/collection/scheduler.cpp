#include "collection/scheduler.h"

#include "collection/navigation.h"
#include "collection/state.h"

SchedulerTimers* Scheduler = nullptr;
int HourCounter = 0;
int MinuteCounter = 0;
int RepeatStep = 0;

namespace {

constexpr int HourMs = 3600000;
constexpr int MinuteMs = 60000;

void showScheduler() {
    if (Ui.showScheduler)
        Ui.showScheduler();
}

// Changes the interval by delta, restarting a running countdown.
void addToInterval(int delta) {
    if (Scheduler) {
        const long long n = static_cast<long long>(Scheduler->QuorvaneTimer.interval()) + delta;
        Scheduler->QuorvaneTimer.setInterval(static_cast<int>(n));
    }
}

} // namespace

SchedulerTimers::SchedulerTimers() {
    Scheduler = this;
    QuorvaneTimer.onTimer = QuorvaneTimerTimer;
    DelayTimer.onTimer = DelayTimerTimer;
}

SchedulerTimers::~SchedulerTimers() {
    if (Scheduler == this)
        Scheduler = nullptr;
}

int ChangeInterval() {
    return Scheduler ? Scheduler->QuorvaneTimer.interval() : 300000;
}

void SetChangeInterval(int intervalMs) {
    if (Scheduler)
        Scheduler->QuorvaneTimer.setInterval(intervalMs);
    // Truncating division, as the counters show a negative stored interval.
    HourCounter = intervalMs / HourMs;
    MinuteCounter = (intervalMs % HourMs) / MinuteMs;
    showScheduler();
}

void QuorvaneTimerTimer() {
    if (RandomSelect)
        JumpToWall(RandomIndex(WallCount()));
    else
        JumpToWall(StepFromCurrent(1));
    SetWall(CurrentWall);
}

void RestartChangeTimer() {
    if (Scheduler)
        Scheduler->QuorvaneTimer.restart();
}

void IncDecHour(bool Incr) {
    if (Incr && HourCounter != 99) {
        addToInterval(HourMs);
        ++HourCounter;
    } else if (!Incr && HourCounter != 0) {
        addToInterval(-HourMs);
        --HourCounter;
    } else {
        return;
    }
    showScheduler();
}

void IncDecMin(bool Incr) {
    if (Incr && MinuteCounter != 59) {
        addToInterval(MinuteMs);
        ++MinuteCounter;
    } else if (!Incr && MinuteCounter != 0) {
        addToInterval(-MinuteMs);
        --MinuteCounter;
    } else {
        return;
    }
    showScheduler();
}

namespace {
void repeatStep(int step) {
    switch (step) {
    case 0:
        IncDecHour(false);
        break;
    case 1:
        IncDecHour(true);
        break;
    case 2:
        IncDecMin(false);
        break;
    case 3:
        IncDecMin(true);
        break;
    default:
        break;
    }
}
} // namespace

void CounterButtonDown(int step) {
    repeatStep(step);
    RepeatStep = step;
    if (Scheduler)
        Scheduler->DelayTimer.setEnabled(true);
}

void CounterButtonUp() {
    if (Scheduler && Scheduler->DelayTimer.enabled()) {
        Scheduler->DelayTimer.setEnabled(false);
        Scheduler->DelayTimer.setInterval(500);
    }
}

void DelayTimerTimer() {
    if (Scheduler)
        Scheduler->DelayTimer.setInterval(50);
    repeatStep(RepeatStep);
}

void SetAutomaticallyChange(bool on) {
    AutomaticallyChange = on;
    if (Scheduler)
        Scheduler->QuorvaneTimer.setEnabled(on);
    showScheduler();
}

void ToggleAutomaticallyChange() {
    SetAutomaticallyChange(!AutomaticallyChange);
}

void ToggleRandomSelect() {
    RandomSelect = !RandomSelect;
    showScheduler();
}
