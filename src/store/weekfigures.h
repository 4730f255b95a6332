#pragma once

#include "dayfigures.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The seven days of a week, Monday first, read in one pass over their entries.
class WeekFigures
{
public:
    // Entries of applications in `ignoredPaths` are left out, as the day views leave them out. A
    // day's entries are those whose stored start names it. `ok` tells a failed query.
    static QList<DayFigures> load(const QDate &monday, const QStringList &ignoredPaths, bool *ok = nullptr);
};
