#pragma once

#include "linkstore.h"
#include "servicecall.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Books linked time on the service and takes it back, keeping the local links in step: what the
// service holds for a remote entry is always the real seconds of the entries linked with it, unless
// those entries are marked unconfirmed, and nothing that changes the service is ever sent twice for
// them until the user settles it. No widgets: the presenter tells the user.
class BookingService : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    struct LinkResult
    {
        enum class Status {
            Linked,
            // Nothing was booked: not linkable, refused by the service, or not storable.
            NotLinked,
            // The service may hold the booking: the entries stay linked, marked unconfirmed.
            Unconfirmed,
            // The service booked it, but the local side could not be stored; marked unconfirmed.
            NotStored,
        };
        Status status = Status::NotLinked;
        // Nothing was booked because the link could not be stored first.
        bool storeFailed = false;
        QString reason;
        LinkTarget target;
        QDate day;
        qint64 seconds = 0;
        qint64 remoteEntryId = 0;
    };

    struct UnlinkResult
    {
        EntryIds unlinked;
        // Still linked, with the reasons why and their time.
        EntryIds keptLinked;
        QStringList failures;
        qint64 keptSeconds = 0;
        // Whether the service took the time off is unknown: marked unconfirmed.
        EntryIds unconfirmed;
        qint64 unconfirmedSeconds = 0;
        // Unlinked time that no remote entry known here held.
        qint64 withoutRemoteSeconds = 0;
    };

    enum class Settled { Done, NotDone, Unknown };

    using LinkDone = std::function<void(const LinkResult &)>;
    using UnlinkDone = std::function<void(const UnlinkResult &)>;
    using SettleDone = std::function<void(Settled)>;

    // Each call returns at once and tells its outcome to `done` once the service answered; nothing is
    // told when the service object goes first. One call at a time: the presenter queues them.

    // Books the entries' real seconds as one remote entry on the task (dated the day of the first)
    // and links them. Entries that are linked already, or unconfirmed, are never booked again.
    void link(const EntryIds &ids, qint64 taskId, const QString &notes, const LinkDone &done);
    // Takes each remote entry's share of the entries' time back (shortening it, or deleting it when
    // nothing would remain) and unlinks them, one remote entry after the other.
    void unlink(const EntryIds &ids, const UnlinkDone &done);

    // The user's answer on an unconfirmed booking: booked keeps the entries linked, not booked
    // unlinks them so that they can be linked again.
    static StoreResult settleBooking(const PendingBooking &booking, bool booked);
    // Asks the service what became of an unconfirmed unbooking; Unknown when its answer does not
    // tell (the user then decides with settleUnbookingAs).
    void settleUnbooking(const PendingUnbooking &unbooking, const SettleDone &done);
    static StoreResult settleUnbookingAs(const PendingUnbooking &unbooking, bool done);

    // The service's own times of a remote entry: its wall clock, free of any time zone.
    static QDateTime remoteTime(const QString &text);
    static QString remoteText(const QDateTime &time);

Q_SIGNALS:
    // The status-bar progress bar: shown with this range and value 0, advanced, hidden.
    void progressStarted(int minimum, int maximum);
    void progressChanged(int value);
    void progressFinished();

private:
    struct RemoteTimes
    {
        bool read = false;
        bool gone = false;
        QDateTime start;
        QDateTime end;
    };
    struct Unlinking;

    void readRemoteTimes(qint64 remoteEntryId, const std::function<void(const RemoteTimes &)> &then);
    // What the service's answer to a booking makes of the marked entries.
    static void takeBooking(const EntryIds &ids, ServiceCall::Outcome outcome, const QDomDocument &reply,
                            LinkResult &result);
    // Unbooks the next remote entry of the run, or ends it.
    void unlinkNext(const std::shared_ptr<Unlinking> &run);
    // Takes the remote entry's share off; `then` learns whether it came off and the links went.
    void unbook(qint64 remoteEntryId, const RemoteBooking &booking, const std::shared_ptr<Unlinking> &run,
                const std::function<void(bool)> &then);
    void changeRemoteEntry(qint64 remoteEntryId, const RemoteTimes &times, const RemoteBooking &booking,
                           const std::shared_ptr<Unlinking> &run, const std::function<void(bool)> &then);
};
