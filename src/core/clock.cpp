#include "clock.h"

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::msecsSinceEpoch() const
{
    return QDateTime::currentMSecsSinceEpoch();
}

Clock *SystemClock::instance()
{
    static SystemClock clock;
    return &clock;
}
