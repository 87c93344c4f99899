#include "collection/timer.h"

#include <algorithm>

ProgramTimer::ProgramTimer(int intervalMs, QObject* parent)
    : QObject(parent), m_interval(intervalMs) {
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ProgramTimer::fire);
}

void ProgramTimer::startCountdown() {
    if (m_enabled && m_interval > 0)
        m_timer.start(std::max(m_interval, m_minimum));
    else
        m_timer.stop();
}

void ProgramTimer::setMinimumInterval(int ms) {
    if (ms == m_minimum)
        return;
    m_minimum = ms;
    if (m_timer.isActive())
        startCountdown();
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
