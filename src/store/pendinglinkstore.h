#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// A booking whose outcome on the service is unknown: the request may have reached it, but no usable
// answer came back. Its entries carry the task (so they count as linked and are never offered for
// linking again) but no remote entry id, until the user settles it.
struct PendingBooking
{
    QString taskId;
    QString taskName;
    QDate day;
    qint64 seconds = 0;
    QDateTime requested;
    QStringList entryIds;
};

// The link columns of `entries` and the table of unconfirmed bookings. Entry ids must be validated
// decimal numbers. Every change runs in one transaction: it happens whole or not at all.
class PendingLinkStore
{
public:
    // Created after the base schema. A table of its own, so files stay readable by versions that do
    // not know it (they see such entries as linked with their task).
    static const QStringList &schemaStatements();

    struct Target
    {
        QString taskId;
        QString projectId;
        QString tasklistId;
        QString taskName;
        QString projectName;
        QString tasklistName;
    };

    // Before asking the service: links the entries with the task, marked unconfirmed. False (with the
    // database's text in `error`) when the database cannot be written or one of them is linked already.
    static bool markPending(const QStringList &ids, const Target &target, const QDate &day, qint64 seconds,
                            QString *error);
    // The service booked them as remote entry `extEntryId`.
    static bool confirm(const QStringList &ids, qint64 extEntryId);
    // Resets the seven link columns and forgets any unconfirmed booking of the entries.
    static bool clearLinks(const QStringList &ids);
    // The user found the time on the service: the entries stay linked without a known remote entry.
    static bool acceptAsBooked(const QStringList &ids);

    // The unconfirmed bookings holding any of `ids`, oldest first; all of them for an empty list.
    static QList<PendingBooking> pendingBookings(const QStringList &ids = {});
    // Those of `ids` that belong to an unconfirmed booking.
    static QStringList pendingAmong(const QStringList &ids);

    // Whether a change could be stored now: tries one inside a transaction and rolls it back.
    static bool isWritable(QString *error = nullptr);
};
