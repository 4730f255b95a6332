#include "clock.h"

#include "timetext.h"

WholeSecond Clock::wholeSecondNow() const
{
    const QDateTime local = TimeText::wholeSeconds(now());
    return {local, local.toSecsSinceEpoch()};
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::msecsSinceEpoch() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

WholeSecond SystemClock::wholeSecondNow() const
{
    // Local time differs from UTC by whole seconds: rounding the epoch time rounds the local time.
    const qint64 secs = (QDateTime::currentMSecsSinceEpoch() + 500) / 1000;
    return {QDateTime::fromSecsSinceEpoch(secs), secs};
}

Clock *SystemClock::instance()
{
    static SystemClock clock;
    return &clock;
}
