#pragma once

#include "entryreader.h"

// The views' reading of the entries, answered by the store's statements.
class StoredEntries final : public EntryReader
{
public:
    std::unique_ptr<DayRows> dayRows(const QDate &day, EntryLink link, const EntryFilter &filter,
                                     int hideUnder) const override;
    QList<EntryRow> dayEntries(const QDate &day, EntryLink link) const override;
    QList<EntryRow> dayStretches(const QDate &day, const QString &appPath, const QString &title) const override;
    QList<EntryRow> entriesById(const QStringList &ids) const override;
    QHash<qint64, QString> applicationNames() const override;
    QList<ApplicationRow> applications() const override;
    QList<QDate> daysWithUnlinkedTime(const QStringList &ignoredPaths) const override;
    QList<DayFigures> weekFigures(const QDate &monday, const QStringList &ignoredPaths) const override;
};
