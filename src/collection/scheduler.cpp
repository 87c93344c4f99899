#include "collection/scheduler.h"

#include "collection/collection.h"
#include "collection/state.h"

namespace {
constexpr int HourMs = 3600000;
constexpr int MinuteMs = 60000;
} // namespace

ChangeScheduler::ChangeScheduler(ProgramState& state, Collection& collection, QObject* parent)
    : QObject(parent), m_state(state), m_collection(collection) {
    quorvaneTimer.setMinimumInterval(MinimumChangeInterval);
    connect(&quorvaneTimer, &ProgramTimer::fired, this, &ChangeScheduler::onChangeTick);
    connect(&delayTimer, &ProgramTimer::fired, this, &ChangeScheduler::onRepeatTick);
    // The full change interval counts from every applied picture.
    connect(&collection, &Collection::applyStarted, this, &ChangeScheduler::restartChangeTimer);
}

void ChangeScheduler::setChangeInterval(int intervalMs) {
    quorvaneTimer.setInterval(intervalMs);
    // Truncating division, as the counters show a negative stored interval.
    m_hours = intervalMs / HourMs;
    m_minutes = (intervalMs % HourMs) / MinuteMs;
    emit changed();
}

void ChangeScheduler::onChangeTick() {
    m_collection.runWallCommand(m_state.randomSelect ? WallCommand::Random : WallCommand::Next,
                                true);
}

void ChangeScheduler::restartChangeTimer() {
    quorvaneTimer.restart();
}

// One step of a counter and the interval together; nothing at the bound.
void ChangeScheduler::stepCounter(int& counter, int top, int unitMs, bool up) {
    if (up ? counter == top : counter == 0)
        return;
    const long long n = static_cast<long long>(quorvaneTimer.interval()) + (up ? unitMs : -unitMs);
    quorvaneTimer.setInterval(static_cast<int>(n));
    counter += up ? 1 : -1;
    emit changed();
}

void ChangeScheduler::incDecHour(bool incr) {
    stepCounter(m_hours, 99, HourMs, incr);
}

void ChangeScheduler::incDecMin(bool incr) {
    stepCounter(m_minutes, 59, MinuteMs, incr);
}

void ChangeScheduler::step(Step s) {
    switch (s) {
    case HoursDown:
        return incDecHour(false);
    case HoursUp:
        return incDecHour(true);
    case MinutesDown:
        return incDecMin(false);
    case MinutesUp:
        return incDecMin(true);
    }
}

void ChangeScheduler::counterButtonDown(Step s) {
    step(s);
    m_repeatStep = s;
    delayTimer.setEnabled(true);
}

void ChangeScheduler::counterButtonUp() {
    if (delayTimer.enabled()) {
        delayTimer.setEnabled(false);
        delayTimer.setInterval(500);
    }
}

void ChangeScheduler::onRepeatTick() {
    delayTimer.setInterval(50);
    step(m_repeatStep);
}

void ChangeScheduler::setAutomaticallyChange(bool on) {
    m_state.automaticallyChange = on;
    quorvaneTimer.setEnabled(on);
    emit changed();
}

void ChangeScheduler::toggleAutomaticallyChange() {
    setAutomaticallyChange(!m_state.automaticallyChange);
}

void ChangeScheduler::toggleRandomSelect() {
    m_state.randomSelect = !m_state.randomSelect;
    emit changed();
}
