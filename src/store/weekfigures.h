#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

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

// The seven days of a week, Monday first, read in one pass over their entries.
class WeekFigures
{
public:
    // The Monday of the week holding `day`.
    static QDate weekStart(const QDate &day);
    // Entries of applications in `ignoredPaths` are left out, as the day views leave them out. A
    // day's entries are those whose stored start names it. `ok` tells a failed query.
    static QList<DayFigures> load(const QDate &monday, const QStringList &ignoredPaths, bool *ok = nullptr);
    // The sum of the days, dated with the first.
    static DayFigures total(const QList<DayFigures> &days);
};
