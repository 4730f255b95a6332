#pragma once

#include "storeresult.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// Local entry ids; they travel typed from the views to the statements, where they are bound.
using EntryIds = QList<qint64>;

// Where a link puts entries: the task, and where the catalogue placed it at that time. Unknown ids
// (0) and empty names are stored as NULL.
struct LinkTarget
{
    qint64 taskId = 0;
    qint64 projectId = 0;
    qint64 tasklistId = 0;
    QString taskName;
    QString projectName;
    QString tasklistName;
};

// One entry as linking reads it: its group (application and title), its real seconds and its link.
struct LinkedEntry
{
    qint64 id = 0;
    qint64 applicationId = 0;
    QString title;
    QString appPath;
    QString appName;
    // The day its stored start names.
    QDate day;
    qint64 seconds = 0;
    qint64 taskId = 0;
    // 0 while no remote entry is known for it.
    qint64 remoteEntryId = 0;
};

// The local entries booked into one remote entry.
struct RemoteBooking
{
    qint64 seconds = 0;
    EntryIds ids;
};

// A booking whose outcome on the service is unknown: the request may have reached it, but no usable
// answer came back. Its entries carry the task (so they count as linked and are never offered for
// linking again) but no remote entry id, until the user settles it.
struct PendingBooking
{
    qint64 taskId = 0;
    QString taskName;
    QDate day;
    qint64 seconds = 0;
    QDateTime requested;
    EntryIds entryIds;
};

// An unbooking whose outcome on the service is unknown: the remote entry was to be shortened to
// `newEnd` (or deleted, when `newEnd` is null) from `oldEnd`. Its entries stay linked, and nothing
// is sent for them again until it is settled.
struct PendingUnbooking
{
    qint64 remoteEntryId = 0;
    QDateTime oldEnd;
    QDateTime newEnd;
    qint64 seconds = 0;
    QDateTime requested;
    EntryIds entryIds;
};

// The link columns of `entries` and the tables of unconfirmed bookings and unbookings. Every change
// runs in one transaction: it happens whole or not at all.
class LinkStore
{
public:
    // Created after the base schema. Tables of their own, so files stay readable by versions that do
    // not know them (they see such entries as linked with their task).
    static const QStringList &schemaStatements();

    // The entries that exist, in id order, with their applications.
    static StoreResult readEntries(const EntryIds &ids, QList<LinkedEntry> *entries);
    // Remote entry id (0: none known) -> those of the given entries that are linked and booked into it.
    static StoreResult readRemoteBookings(const EntryIds &ids, QMap<qint64, RemoteBooking> *bookings);
    // Every remote entry known here -> the real seconds of all entries booked into it.
    static StoreResult readLedger(QMap<qint64, qint64> *seconds);
    // The real seconds of all entries booked into one remote entry.
    static StoreResult readBookedSeconds(qint64 remoteEntryId, qint64 *seconds);

    // Before asking the service: links the entries with the task, marked unconfirmed. Fails when the
    // database cannot be written or one of them is linked already.
    static StoreResult markPending(const EntryIds &ids, const LinkTarget &target, const QDate &day, qint64 seconds);
    // The service booked them as remote entry `remoteEntryId`.
    static StoreResult confirm(const EntryIds &ids, qint64 remoteEntryId);
    // Resets the seven link columns and forgets any unconfirmed booking or unbooking of the entries.
    static StoreResult clearLinks(const EntryIds &ids);
    // The user found the time on the service: the entries stay linked without a known remote entry.
    static StoreResult acceptAsBooked(const EntryIds &ids);

    // Before asking the service to shorten (newEnd valid) or delete a remote entry.
    static StoreResult markUnbooking(const EntryIds &ids, qint64 remoteEntryId, qint64 seconds, const QDateTime &oldEnd,
                                     const QDateTime &newEnd);
    // The service did not change the remote entry: the entries stay linked as before.
    static StoreResult forgetUnbooking(const EntryIds &ids);

    // The unconfirmed bookings or unbookings holding any of `ids`, oldest first; all of them for an
    // empty list.
    static QList<PendingBooking> pendingBookings(const EntryIds &ids = {});
    static QList<PendingUnbooking> pendingUnbookings(const EntryIds &ids = {});
    // Those of `ids` whose booking or unbooking is not confirmed.
    static EntryIds unconfirmedAmong(const EntryIds &ids);
    // Every entry whose booking or unbooking is not confirmed.
    static EntryIds unconfirmed();

    // Whether a change could be stored now: tries one inside a transaction and rolls it back.
    static bool isWritable(QString *error = nullptr);

    // The bound form of an id list.
    static QString idArray(const EntryIds &ids);

private:
    // All remote entries, or the one named.
    static StoreResult readLedger(QMap<qint64, qint64> *seconds, qint64 onlyRemoteEntryId);
};
