#include "collection/timer.h"

ProgramTimer::ProgramTimer(int intervalMs, QObject* parent)
    : QObject(parent), m_interval(intervalMs) {
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ProgramTimer::fire);
}

void ProgramTimer::startCountdown() {
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

void ProgramTimer::setEnabled(bool on) {
    if (on == m_enabled)
        return;
    m_enabled = on;
    startCountdown();
}

void ProgramTimer::setInterval(int ms) {
    if (ms == m_interval)
        return;
    m_interval = ms;
    startCountdown();
}

void ProgramTimer::restart() {
    if (m_enabled)
        startCountdown();
}
