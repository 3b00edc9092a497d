#pragma once

#include "common/clock.h"

// Pins Clock::now() and Clock::today() for the scope, then returns to the
// system clock.
class FixedClock
{
public:
    explicit FixedClock(const QDateTime& now) { Clock::setFixedNow(now); }
    explicit FixedClock(const QDate& today) : FixedClock(QDateTime(today, QTime(12, 0))) {}
    ~FixedClock() { Clock::setFixedNow(QDateTime()); }
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;

    void set(const QDateTime& now) { Clock::setFixedNow(now); }
    void set(const QDate& today) { Clock::setFixedNow(QDateTime(today, QTime(12, 0))); }
};
