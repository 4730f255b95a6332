#pragma once

#include "storeresult.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

// What a link stores on each entry: the task and the remote entry booked for it, and where the
// catalogue placed the task at that time. Unknown ids and names are stored as NULL.
struct LinkTarget
{
    qint64 taskId = 0;
    QVariant entryId;
    QVariant projectId;
    QVariant tasklistId;
    QVariant taskName;
    QVariant projectName;
    QVariant tasklistName;
};

// The local entries booked into one remote entry.
struct RemoteBooking
{
    qint64 seconds = 0;
    QStringList ids;
};

// The link columns of `entries`. Id lists are validated decimal ids: they stand in the statements.
class LinkStore
{
public:
    // The entries with their applications, by id: "id", "title", "application_id", "start_time",
    // "end_time", "ext_task_id", "app_path", "app_name".
    static StoreResult readRecords(const QStringList &ids, QList<QMap<QString, QString>> *records);
    // The distinct (application id, title) pairs of the entries.
    static StoreResult readTitleGroups(const QStringList &ids, QList<QPair<QString, QString>> *groups);
    // Remote entry id (0: none) -> the entries booked into it and their summed time.
    static StoreResult readRemoteBookings(const QStringList &ids, QMap<qint64, RemoteBooking> *bookings);
    static StoreResult markLinked(const QStringList &ids, const LinkTarget &target);
    // Resets the seven link columns.
    static StoreResult clearLinks(const QStringList &ids);
    // One entry with its application's path and name, as "app_path", "app_name" and the entry's columns;
    // an empty map when there is no such entry.
    static StoreResult readEntry(qint64 id, QMap<QString, QVariant> *entry);
};
