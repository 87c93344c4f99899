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
    RunWallCommand(RandomSelect ? WallCommand::Random : WallCommand::Next, true);
}

void RestartChangeTimer() {
    if (Scheduler)
        Scheduler->QuorvaneTimer.restart();
}

namespace {
// One step of a counter and the interval together; nothing at the bound.
void stepCounter(int& counter, int top, int unitMs, bool up) {
    if (up ? counter == top : counter == 0)
        return;
    addToInterval(up ? unitMs : -unitMs);
    counter += up ? 1 : -1;
    showScheduler();
}
} // namespace

void IncDecHour(bool Incr) {
    stepCounter(HourCounter, 99, HourMs, Incr);
}

void IncDecMin(bool Incr) {
    stepCounter(MinuteCounter, 59, MinuteMs, Incr);
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
