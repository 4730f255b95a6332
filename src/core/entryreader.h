#pragma once

#include "applicationrow.h"
#include "dayfigures.h"
#include "dayrows.h"
#include "entryrow.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

// What the views read of the stored entries. The store answers; the composition root hands it to
// the views, which never reach the store themselves.
class EntryReader
{
public:
    virtual ~EntryReader() = default;

    // The day's entries in the link state that pass the filter; with a threshold, only the titles
    // whose time that day reaches it.
    virtual std::unique_ptr<DayRows> dayRows(const QDate &day, EntryLink link, const EntryFilter &filter,
                                             int hideUnder) const = 0;
    // The day's entries in the link state, unfiltered.
    virtual QList<EntryRow> dayEntries(const QDate &day, EntryLink link) const = 0;
    // The unlinked stretches of the day in start order; an empty path or title leaves that condition out.
    virtual QList<EntryRow> dayStretches(const QDate &day, const QString &appPath, const QString &title) const = 0;
    // Start, end and title of the listed entries; ids that no longer exist give no row.
    virtual QList<EntryRow> entriesById(const QStringList &ids) const = 0;
    // Display name of every application by id.
    virtual QHash<qint64, QString> applicationNames() const = 0;
    // Every application, by name; none when they cannot be read.
    virtual QList<ApplicationRow> applications() const = 0;
    // The days with unlinked time, leaving out the applications at `ignoredPaths`.
    virtual QList<QDate> daysWithUnlinkedTime(const QStringList &ignoredPaths) const = 0;
    // The seven days from `monday`, leaving out the applications at `ignoredPaths`.
    virtual QList<DayFigures> weekFigures(const QDate &monday, const QStringList &ignoredPaths) const = 0;
};
