#include "storedentries.h"

#include "entrystore.h"
#include "weekfigures.h"

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

QList<DayFigures> StoredEntries::weekFigures(const QDate &monday, const QStringList &ignoredPaths) const
{
    return WeekFigures::load(monday, ignoredPaths);
}
