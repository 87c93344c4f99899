// Automatic change of the wallpaper: the change timer, the hour and minute
// counters that set its interval (with auto-repeat while a button is held)
// and the two toggles.
#pragma once

#include "collection/timer.h"

#include <QObject>

class Collection;
struct ProgramState;

class ChangeScheduler : public QObject {
    Q_OBJECT
public:
    /// The shortest time between two automatic changes, whatever a stored
    /// interval says: a change decodes and writes a whole picture.
    static constexpr int MinimumChangeInterval = 10000;

    /// The counter step a held button repeats.
    enum Step { HoursDown = 0, HoursUp = 1, MinutesDown = 2, MinutesUp = 3 };

    ChangeScheduler(ProgramState& state, Collection& collection, QObject* parent = nullptr);

    /// The change interval in milliseconds (the interval of QuorvaneTimer).
    int changeInterval() const { return quorvaneTimer.interval(); }
    /// Sets the interval and shows it on the counters (as at a settings load).
    void setChangeInterval(int intervalMs);

    /// What the counters lbHour and lbMin show.
    int hourCounter() const { return m_hours; }
    int minuteCounter() const { return m_minutes; }

    void incDecHour(bool incr);
    void incDecMin(bool incr);

    /// A counter button pressed: one step at once, then the repeat.
    void counterButtonDown(Step step);
    /// Any counter button released: the repeat stops.
    void counterButtonUp();

    /// Switches automatic change on or off.
    void setAutomaticallyChange(bool on);
    void toggleAutomaticallyChange();
    void toggleRandomSelect();

    /// Restarts the countdown of a running change timer.
    void restartChangeTimer();

    ProgramTimer quorvaneTimer{300000};
    ProgramTimer delayTimer{500};

signals:
    /// The counters or the toggles changed.
    void changed();

private:
    void onChangeTick();
    void onRepeatTick();
    void step(Step s);
    void stepCounter(int& counter, int top, int unitMs, bool up);

    ProgramState& m_state;
    Collection& m_collection;
    int m_hours = 0;
    int m_minutes = 0;
    Step m_repeatStep = HoursDown;
};
