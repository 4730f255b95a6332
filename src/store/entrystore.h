#pragma once

#include "entryrow.h"
#include "entrytime.h"
#include "storeresult.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The statements that read and change a day's entries, all on the default connection.
// Failures never show a box: they are logged and give an empty result, 0 or false.
class EntryStore
{
public:
    using Link = EntryLink;

    // Per search term: the entry's title, its application's stored name or its shown name holds the term.
    static QString filterClause(const EntryFilter &filter);

    // The text of the day query for the link state and filter; the entries' applications are
    // looked up apart.
    static QString dayQuery(Link link, const EntryFilter &filter);
    // One entry by its ":id", with the columns of the day query.
    static QString entryQuery(Link link);
    // The day's entries in the link state, filtered, leaving out (application, title) pairs whose
    // summed time stays under `hideUnder` seconds (0 = no threshold). `ok` tells a failed query.
    static QList<EntryRow> dayEntries(const QDate &day, Link link, const EntryFilter &filter, int hideUnder,
                                      bool *ok = nullptr);

    // Stores one stretch between two instants; its new id comes back in `id`.
    static StoreResult insertEntry(const QString &title, const QDateTime &start, const QDateTime &end, qint64 appId,
                                   qint64 *id);
    static StoreResult updateEntriesTitle(const QStringList &ids, const QString &title);
    static StoreResult deleteEntries(const QStringList &ids);
    // Gives every entry of the applications at `paths` the title `title`, linked or not; their
    // times stay. How many rows changed comes back in `changed`.
    static StoreResult replaceTitles(const QStringList &paths, const QString &title, int *changed);

    // The unlinked stretches of the day (no task, so no unconfirmed booking either), in start order; an empty path or
    // title leaves that condition out. Path and title are bound, so any text can be listed.
    static QList<EntryRow> dayStretches(const QDate &day, const QString &appPath, const QString &title,
                                        bool *ok = nullptr);
    // Start, end and title of the listed entries; ids that no longer exist give no row.
    static QList<EntryRow> entriesById(const QStringList &ids);

    // Days that still hold unlinked time of applications not in `ignoredPaths`.
    static QList<QDate> daysWithUnlinkedTime(const QStringList &ignoredPaths);
    // Its statement, with the ids of the ignored paths looked up.
    static QString daysWithUnlinkedTimeQuery(const QStringList &ignoredPaths);

    // The latest end of any stored entry; invalid when there is none or the query fails.
    static QDateTime latestEnd();
    // Display name of every application by id.
    static QHash<qint64, QString> applicationNames();

    static QString dayStart(const QDate &day);
    static QString dayEnd(const QDate &day);
};
