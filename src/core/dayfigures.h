#pragma once

#include <QDate>
#include <QList>
#include <QString>

// One stretch of a day's bar: time of one project (linked), one application (unlinked) or away.
struct DayShare
{
    enum class Kind { Linked, Unlinked, Away };

    Kind kind = Kind::Unlinked;
    // The remote project id of linked time, the application path of unlinked time; empty for away.
    QString key;
    qint64 seconds = 0;
};

// What one day holds, in real seconds. Recorded time is all of it: linked + unlinked + away, where
// linked away time counts as linked, since the user booked it.
struct DayFigures
{
    QDate date;
    qint64 recorded = 0;
    qint64 linked = 0;
    qint64 unlinked = 0;
    qint64 away = 0;
    // Not yet on the service: unlinked time of applications plus linked time it has not accepted.
    qint64 toBook = 0;
    // Linked by project, then unlinked by application, then away, each part largest first.
    QList<DayShare> shares;
};

namespace WeekDays {

// The Monday of the week holding `day`.
QDate weekStart(const QDate &day);
// The sum of the days, dated with the first.
DayFigures total(const QList<DayFigures> &days);

} // namespace WeekDays
