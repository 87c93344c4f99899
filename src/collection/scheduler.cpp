#include "collection/scheduler.h"

#include "collection/collection.h"
#include "collection/state.h"

namespace {
constexpr int HourMs = 3600000;
constexpr int MinuteMs = 60000;
} // namespace

ChangeScheduler::ChangeScheduler(ProgramState& state, Collection& collection, QObject* parent)
    : QObject(parent), m_state(state), m_collection(collection) {
    QuorvaneTimer.setMinimumInterval(MinimumChangeInterval);
    connect(&QuorvaneTimer, &ProgramTimer::fired, this, &ChangeScheduler::onChangeTick);
    connect(&DelayTimer, &ProgramTimer::fired, this, &ChangeScheduler::onRepeatTick);
    // The full change interval counts from every applied picture.
    connect(&collection, &Collection::applyStarted, this, &ChangeScheduler::restartChangeTimer);
}

void ChangeScheduler::SetChangeInterval(int intervalMs) {
    QuorvaneTimer.setInterval(intervalMs);
    // Truncating division, as the counters show a negative stored interval.
    m_hours = intervalMs / HourMs;
    m_minutes = (intervalMs % HourMs) / MinuteMs;
    emit changed();
}

void ChangeScheduler::onChangeTick() {
    m_collection.RunWallCommand(m_state.RandomSelect ? WallCommand::Random : WallCommand::Next,
                                true);
}

void ChangeScheduler::restartChangeTimer() {
    QuorvaneTimer.restart();
}

// One step of a counter and the interval together; nothing at the bound.
void ChangeScheduler::stepCounter(int& counter, int top, int unitMs, bool up) {
    if (up ? counter == top : counter == 0)
        return;
    const long long n = static_cast<long long>(QuorvaneTimer.interval()) + (up ? unitMs : -unitMs);
    QuorvaneTimer.setInterval(static_cast<int>(n));
    counter += up ? 1 : -1;
    emit changed();
}

void ChangeScheduler::IncDecHour(bool Incr) {
    stepCounter(m_hours, 99, HourMs, Incr);
}

void ChangeScheduler::IncDecMin(bool Incr) {
    stepCounter(m_minutes, 59, MinuteMs, Incr);
}

void ChangeScheduler::step(Step s) {
    switch (s) {
    case HoursDown:
        return IncDecHour(false);
    case HoursUp:
        return IncDecHour(true);
    case MinutesDown:
        return IncDecMin(false);
    case MinutesUp:
        return IncDecMin(true);
    }
}

void ChangeScheduler::counterButtonDown(Step s) {
    step(s);
    m_repeatStep = s;
    DelayTimer.setEnabled(true);
}

void ChangeScheduler::counterButtonUp() {
    if (DelayTimer.enabled()) {
        DelayTimer.setEnabled(false);
        DelayTimer.setInterval(500);
    }
}

void ChangeScheduler::onRepeatTick() {
    DelayTimer.setInterval(50);
    step(m_repeatStep);
}

void ChangeScheduler::SetAutomaticallyChange(bool on) {
    m_state.AutomaticallyChange = on;
    QuorvaneTimer.setEnabled(on);
    emit changed();
}

void ChangeScheduler::ToggleAutomaticallyChange() {
    SetAutomaticallyChange(!m_state.AutomaticallyChange);
}

void ChangeScheduler::ToggleRandomSelect() {
    m_state.RandomSelect = !m_state.RandomSelect;
    emit changed();
}
