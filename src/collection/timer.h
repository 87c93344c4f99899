// The program's timer: a QTimer with the rules every timer of the program
// keeps.
//  - It fires every interval milliseconds on the user-interface thread while
//    it is enabled and its interval is above 0.
//  - Enabling a disabled timer, or changing the interval of an enabled one,
//    starts the countdown anew; enabling an enabled timer or setting the
//    interval it already has changes nothing.
//  - An interval of 0 (or below) never fires; the timer stays enabled and a
//    later non-zero interval starts the countdown from that moment.
#pragma once

#include <QObject>
#include <QTimer>

class ProgramTimer : public QObject {
    Q_OBJECT
public:
    explicit ProgramTimer(int intervalMs, QObject* parent = nullptr);

    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);

    int interval() const { return m_interval; }
    void setInterval(int ms);

    /// A countdown never shorter than this, whatever the interval says (the
    /// interval itself keeps its value). 0, the default, sets no floor.
    void setMinimumInterval(int ms);

    /// Starts the countdown of an enabled timer anew.
    void restart();

    /// True while a countdown is running (enabled with a positive interval).
    bool isCounting() const { return m_timer.isActive(); }
    /// Milliseconds left of the running countdown, -1 when none runs.
    int remainingTime() const { return m_timer.remainingTime(); }

    /// Emits a tick now (the tests drive ticks this way).
    void fire() { emit fired(); }

signals:
    /// A tick.
    void fired();

private:
    void startCountdown();

    QTimer m_timer;
    bool m_enabled = false;
    int m_interval;
    int m_minimum = 0;
};
