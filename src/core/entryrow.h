#pragma once

#include "searchterms.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// The one rule for how long a stretch lasts: the real seconds between its start and end instant,
// never below zero.
inline qint64 stretchSeconds(const QDateTime &start, const QDateTime &end)
{
    return start.isValid() && end.isValid() && start < end ? start.secsTo(end) : 0;
}

enum class EntryLink { Unlinked, Linked };

// One row of the day query: an entry with its application.
struct EntryRow
{
    qint64 id = 0;
    qint64 applicationId = 0;
    QString appPath;
    QString appName;
    QString title;
    // Local time; from the day query with the UTC offset of their hour (Qt::OffsetFromUTC).
    QDateTime start;
    QDateTime end;
    // Null while the remote service has not accepted the entry, or for unlinked entries.
    QVariant extEntryId;
    QVariant extTaskId;
    QVariant extTasklistId;
    QVariant extProjectId;

    qint64 seconds() const { return stretchSeconds(start, end); }
};

// What the user typed to filter the entries. A term matches an entry's title or its application's
// stored name, or an application whose name as shown (in the desktop's language) holds it: the
// views know those names and put the applications here.
struct EntryFilter
{
    EntryFilter() = default;
    // A filter of stored texts only.
    EntryFilter(const QString &filterText)
        : text(filterText)
    {}

    QString text;
    // By term: the applications shown under a name that holds it.
    QHash<QString, QList<qint64>> shownNameMatches;

    QStringList terms() const { return splitSearchTerms(text); }
    bool isEmpty() const { return text.trimmed().isEmpty(); }
};
