// Automatic change of the wallpaper: the change timer, the hour and minute
// counters that set its interval (with auto-repeat while a button is held)
// and the two toggles.
#pragma once

#include "collection/timer.h"

#include <QObject>

/// The two timers of the scheduler. The main window owns one set; tests
/// make their own. Only one set exists at a time.
class SchedulerTimers {
public:
    SchedulerTimers();
    ~SchedulerTimers();
    SchedulerTimers(const SchedulerTimers&) = delete;
    SchedulerTimers& operator=(const SchedulerTimers&) = delete;

    ProgramTimer QuorvaneTimer{300000};
    ProgramTimer DelayTimer{500};
};

/// The live set of timers, or null.
extern SchedulerTimers* Scheduler;

/// What the counters lbHour and lbMin show.
extern int HourCounter;
extern int MinuteCounter;
/// The step DelayTimer repeats: 0 hours down, 1 hours up, 2 minutes down, 3 minutes up.
extern int RepeatStep;

/// The change interval in milliseconds (the interval of QuorvaneTimer).
int ChangeInterval();
/// Sets the interval and shows it on the counters (as at a settings load).
void SetChangeInterval(int intervalMs);

/// One automatic change: next entry or, with RandomSelect, a random one; applied.
void QuorvaneTimerTimer();

/// Restarts the countdown of a running change timer.
void RestartChangeTimer();

void IncDecHour(bool Incr);
void IncDecMin(bool Incr);

/// A counter button pressed (step 0..3 as RepeatStep) and released.
void CounterButtonDown(int step);
void CounterButtonUp();
void DelayTimerTimer();

/// Switches automatic change on or off.
void SetAutomaticallyChange(bool on);
void ToggleAutomaticallyChange();
void ToggleRandomSelect();
