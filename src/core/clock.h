#pragma once

#include <QDateTime>

// A moment to the whole second, in local time and as seconds since the epoch. A tick needs both; the
// epoch seconds come without a further time-zone lookup.
struct WholeSecond
{
    QDateTime local;
    qint64 secsSinceEpoch = 0;
};

// Source of the current local time. Recording and date presets ask a Clock instead of QDateTime
// directly so that tests can move time forward, across midnight, at will.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    // The same moment without the local-time conversion, for what only counts milliseconds.
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }
    // Now, rounded to the nearest whole second (see TimeText::wholeSeconds).
    virtual WholeSecond wholeSecondNow() const;
    QDate today() const { return now().date(); }
};

class SystemClock final : public Clock
{
public:
    QDateTime now() const override;
    qint64 msecsSinceEpoch() const override;
    // Rounds the system time before it is converted: one time-zone lookup instead of three.
    WholeSecond wholeSecondNow() const override;

    // The process-wide clock used when no other one is injected.
    static Clock *instance();
};
