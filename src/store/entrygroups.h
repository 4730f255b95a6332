#pragma once

#include "storeresult.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// Entries not yet booked with the service, of one day, application and window title.
struct EntryGroup
{
    QString title;
    QString applicationId;
    QDate day;
    QStringList entryIds;
    // The summed time of the group's entries.
    qint64 seconds = 0;
};

// Groups a date range's entries without a remote entry, the way rules are applied to them.
class EntryGroups
{
public:
    // The days `from` to `to`, both included; in no particular order. Each group lists its entries
    // in the order of their start.
    static StoreResult load(const QDate &from, const QDate &to, QList<EntryGroup> *groups);
    static QString query();
};
