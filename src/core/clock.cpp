#include "clock.h"

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

Clock *SystemClock::instance()
{
    static SystemClock clock;
    return &clock;
}
