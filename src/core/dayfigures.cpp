#include "dayfigures.h"

QDate WeekDays::weekStart(const QDate &day)
{
    return day.addDays(1 - day.dayOfWeek());
}

DayFigures WeekDays::total(const QList<DayFigures> &days)
{
    DayFigures sum;
    sum.date = days.isEmpty() ? QDate() : days.first().date;
    for (const DayFigures &day : days) {
        sum.recorded += day.recorded;
        sum.linked += day.linked;
        sum.unlinked += day.unlinked;
        sum.away += day.away;
        sum.toBook += day.toBook;
    }
    return sum;
}
