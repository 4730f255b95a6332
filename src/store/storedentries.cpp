#include "storedentries.h"

#include "applicationstore.h"
#include "dayentrycursor.h"
#include "entrystore.h"
#include "weekfigures.h"

std::unique_ptr<DayRows> StoredEntries::dayRows(const QDate &day, EntryLink link, const EntryFilter &filter,
                                                int hideUnder) const
{
    return std::make_unique<DayEntryCursor>(day, link, filter, hideUnder);
}

QList<EntryRow> StoredEntries::dayEntries(const QDate &day, EntryLink link) const
{
    return EntryStore::dayEntries(day, link, QString(), 0);
}

QList<EntryRow> StoredEntries::dayStretches(const QDate &day, const QString &appPath, const QString &title) const
{
    return EntryStore::dayStretches(day, appPath, title);
}

QList<EntryRow> StoredEntries::entriesById(const QStringList &ids) const
{
    return EntryStore::entriesById(ids);
}

QHash<qint64, QString> StoredEntries::applicationNames() const
{
    return EntryStore::applicationNames();
}

QList<ApplicationRow> StoredEntries::applications() const
{
    QList<ApplicationRow> all;
    if (!ApplicationStore::all(&all).ok()) {
        return {};
    }
    return all;
}

QList<QDate> StoredEntries::daysWithUnlinkedTime(const QStringList &ignoredPaths) const
{
    return EntryStore::daysWithUnlinkedTime(ignoredPaths);
}

QList<DayFigures> StoredEntries::weekFigures(const QDate &monday, const QStringList &ignoredPaths) const
{
    return WeekFigures::load(monday, ignoredPaths);
}
