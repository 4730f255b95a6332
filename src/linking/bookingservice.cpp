#include "bookingservice.h"

#include "apireply.h"
#include "logging.h"
#include "projectscatalogue.h"
#include "servicecall.h"
#include "timetext.h"

#include <QDebug>

namespace {

// Where the catalogue places the task now.
LinkTarget targetFor(qint64 taskId)
{
    const ProjectsCatalogue &catalogue = ProjectsCatalogue::shared();
    const ProjectsCatalogue::TaskPlace place = catalogue.taskPlace(taskId);
    LinkTarget target;
    target.taskId = taskId;
    target.projectId = place.projectId;
    target.tasklistId = place.tasklistId;
    target.taskName = place.name;
    target.projectName = catalogue.projectName(place.projectId);
    target.tasklistName = catalogue.tasklistName(place.tasklistId);
    return target;
}

const QString NotFoundCode = QStringLiteral("20");

} // namespace

QDateTime BookingService::remoteTime(const QString &text)
{
    const QDateTime local = parseDateTime(text);
    return local.isValid() ? QDateTime(local.date(), local.time(), Qt::UTC) : QDateTime();
}

QString BookingService::remoteText(const QDateTime &time)
{
    return time.toString(QLatin1String(TimeText::DateTimeFormat));
}

void BookingService::link(const EntryIds &ids, qint64 taskId, const QString &notes, const LinkDone &done)
{
    LinkResult result;
    result.target = targetFor(taskId);
    QList<LinkedEntry> entries;
    const StoreResult read = LinkStore::readEntries(ids, &entries);
    if (!read.ok() || entries.size() != ids.size() || taskId <= 0) {
        result.reason = read.ok() ? tr("some of the entries no longer exist") : read.error();
        done(result);
        return;
    }
    for (const LinkedEntry &entry : std::as_const(entries)) {
        if (entry.taskId != 0) {
            result.reason = tr("some of the entries are linked already");
            done(result);
            return;
        }
        result.seconds += entry.seconds;
    }
    result.day = entries.first().day;

    // The rows are marked before the service is asked: a booking whose local side cannot be stored is
    // never made, and one whose answer goes missing is never made twice.
    const StoreResult marked = LinkStore::markPending(ids, result.target, result.day, result.seconds);
    if (!marked.ok()) {
        result.reason = marked.error();
        result.storeFailed = true;
        done(result);
        return;
    }
    ServiceCall::change(this, QStringLiteral("tavro.entries.addBulk"),
                        {{QStringLiteral("date"), TimeText::formatDate(result.day)},
                         {QStringLiteral("duration"), QString::number(result.seconds)},
                         {QStringLiteral("task_id"), QString::number(taskId)},
                         {QStringLiteral("description"), notes, true}},
                        [ids, result, done](ServiceCall::Outcome outcome, const QDomDocument &reply) mutable {
                            takeBooking(ids, outcome, reply, result);
                            done(result);
                        });
}

void BookingService::takeBooking(const EntryIds &ids, ServiceCall::Outcome outcome, const QDomDocument &reply,
                                 LinkResult &result)
{
    if (outcome == ServiceCall::Outcome::NotDone) {
        qCDebug(lcLinking) << "FAILED: tavro.entries.addBulk";
        const StoreResult cleared = LinkStore::clearLinks(ids);
        result.reason = cleared.ok() ? tr("Tavro did not book it")
                                     : tr("Tavro did not book it, but the entries could not be unmarked");
        result.status = cleared.ok() ? LinkResult::Status::NotLinked : LinkResult::Status::Unconfirmed;
        return;
    }
    const QString remoteId = ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("id"));
    qCDebug(lcLinking) << "API add entry result: ext_entry_id = " << remoteId;
    bool numeric = false;
    result.remoteEntryId = remoteId.toLongLong(&numeric);
    if (outcome == ServiceCall::Outcome::Unknown || !numeric || result.remoteEntryId <= 0) {
        result.status = LinkResult::Status::Unconfirmed;
        result.reason = outcome == ServiceCall::Outcome::Unknown
                            ? tr("its answer was lost or could not be read")
                            : tr("it accepted the booking without naming the new entry");
        result.remoteEntryId = 0;
        return;
    }
    const StoreResult confirmed = LinkStore::confirm(ids, result.remoteEntryId);
    if (!confirmed.ok()) {
        result.status = LinkResult::Status::NotStored;
        result.reason = confirmed.error();
        return;
    }
    result.status = LinkResult::Status::Linked;
}

void BookingService::readRemoteTimes(qint64 remoteEntryId, const std::function<void(const RemoteTimes &)> &then)
{
    qCDebug(lcLinking) << "get ext entry end time, entry id = " << remoteEntryId;
    ServiceCall::get(this, QStringLiteral("tavro.entries.getInfo"),
                     {{QStringLiteral("entry_id"), QString::number(remoteEntryId)}},
                     [then](bool ok, const QDomDocument &reply) {
                         RemoteTimes times;
                         QString code;
                         QString message;
                         times.gone = ApiReply::isError(reply, code, message) && code == NotFoundCode;
                         const QDomElement entry = ApiReply::firstElement(reply, QStringLiteral("entry"));
                         times.start = remoteTime(ApiReply::firstElement(entry, QStringLiteral("start")).text());
                         times.end = remoteTime(ApiReply::firstElement(entry, QStringLiteral("end")).text());
                         times.read = ok && times.start.isValid() && times.end.isValid();
                         then(times);
                     });
}

// One unlink under way: the remote entries still to take back, one after the other, and what came of it.
struct BookingService::Unlinking
{
    EntryIds ids;
    QList<qint64> remoteIds;
    QMap<qint64, RemoteBooking> bookings;
    int step = 0;
    bool showsProgress = false;
    UnlinkResult result;
    UnlinkDone done;
};

void BookingService::unbook(qint64 remoteEntryId, const RemoteBooking &booking, const std::shared_ptr<Unlinking> &run,
                            const std::function<void(bool)> &then)
{
    readRemoteTimes(remoteEntryId, [this, remoteEntryId, booking, run, then](const RemoteTimes &times) {
        if (!times.read) {
            // Unknown times say nothing about how much is left: never change anything on them.
            run->result.failures << tr("the times of remote entry %1 could not be read").arg(remoteEntryId);
            then(false);
            return;
        }
        changeRemoteEntry(remoteEntryId, times, booking, run, then);
    });
}

void BookingService::changeRemoteEntry(qint64 remoteEntryId, const RemoteTimes &times, const RemoteBooking &booking,
                                       const std::shared_ptr<Unlinking> &run, const std::function<void(bool)> &then)
{
    UnlinkResult &result = run->result;
    qint64 booked = 0;
    if (!LinkStore::readBookedSeconds(remoteEntryId, &booked).ok()) {
        result.failures << tr("their links could not be read from the local database");
        then(false);
        return;
    }
    const qint64 remaining = times.start.secsTo(times.end) - booking.seconds;
    const qint64 othersLinked = booked - booking.seconds;
    if (remaining <= 0 && othersLinked > 0) {
        // Deleting it would take the time of other linked entries with it.
        result.failures << tr("remote entry %1 holds less time than is linked with it here").arg(remoteEntryId);
        then(false);
        return;
    }
    const QDateTime newEnd = remaining > 0 ? times.start.addSecs(remaining) : QDateTime();
    const StoreResult marked = LinkStore::markUnbooking(booking.ids, remoteEntryId, booking.seconds, times.end, newEnd);
    if (!marked.ok()) {
        result.failures << tr("the local database cannot be written (%1)").arg(marked.error());
        then(false);
        return;
    }
    const auto changed = [remoteEntryId, booking, newEnd, run, then](ServiceCall::Outcome outcome,
                                                                     const QDomDocument &) {
        UnlinkResult &taken = run->result;
        switch (outcome) {
        case ServiceCall::Outcome::Done:
            if (!LinkStore::clearLinks(booking.ids).ok()) {
                taken.failures << tr("their links could not be cleared in the local database");
                then(false);
                return;
            }
            then(true);
            return;
        case ServiceCall::Outcome::NotDone:
            LinkStore::forgetUnbooking(booking.ids);
            taken.failures << (newEnd.isValid() ? tr("remote entry %1 could not be shortened")
                                                : tr("remote entry %1 could not be deleted"))
                                  .arg(remoteEntryId);
            then(false);
            return;
        case ServiceCall::Outcome::Unknown:
            break;
        }
        taken.unconfirmed << booking.ids;
        taken.unconfirmedSeconds += booking.seconds;
        then(false);
    };
    if (newEnd.isValid()) {
        qCDebug(lcLinking) << "update ext entry end time, entry_id = " << remoteEntryId << ", time: " << times.start
                           << newEnd;
        ServiceCall::change(this, QStringLiteral("tavro.entries.update"),
                            {{QStringLiteral("entry_id"), QString::number(remoteEntryId)},
                             {QStringLiteral("start"), remoteText(times.start)},
                             {QStringLiteral("end"), remoteText(newEnd)}},
                            changed);
    } else {
        qCDebug(lcLinking) << "delete ext entry, entry_id = " << remoteEntryId;
        ServiceCall::change(this, QStringLiteral("tavro.entries.delete"),
                            {{QStringLiteral("entry_id"), QString::number(remoteEntryId)}}, changed);
    }
}

void BookingService::unlink(const EntryIds &ids, const UnlinkDone &done)
{
    qCDebug(lcLinking) << "unlink entries: " << ids;
    auto run = std::make_shared<Unlinking>();
    run->ids = ids;
    run->done = done;
    UnlinkResult &result = run->result;
    // An unconfirmed booking or unbooking is settled, not unlinked: unlinking it could take the time
    // off twice, or offer it for a second booking.
    const EntryIds unconfirmed = LinkStore::unconfirmedAmong(ids);
    if (!unconfirmed.isEmpty()) {
        result.failures << tr("Tavro has not confirmed their booking or unlinking yet (choose \"Settle "
                              "Unconfirmed Booking\" first)");
    }
    EntryIds candidates;
    for (qint64 id : ids) {
        if (!unconfirmed.contains(id)) {
            candidates << id;
        }
    }
    QString dbError;
    if (candidates.isEmpty()) {
        // Nothing here to take back.
    } else if (!LinkStore::isWritable(&dbError)) {
        // Taking time off the service whose local side cannot be stored would leave the two apart.
        result.failures << tr("the local database cannot be written (%1)").arg(dbError);
    } else if (LinkStore::readRemoteBookings(candidates, &run->bookings).ok()) {
        run->remoteIds = run->bookings.keys();
        run->showsProgress = true;
        Q_EMIT progressStarted(0, 2 * int(run->remoteIds.size()));
    } else {
        result.failures << tr("their links could not be read from the local database");
    }
    unlinkNext(run);
}

void BookingService::unlinkNext(const std::shared_ptr<Unlinking> &run)
{
    UnlinkResult &result = run->result;
    if (run->step < run->remoteIds.size()) {
        const qint64 remoteId = run->remoteIds.at(run->step);
        const RemoteBooking &booking = run->bookings[remoteId];
        const auto next = [this, run, booking](bool unlinked) {
            if (unlinked) {
                run->result.unlinked << booking.ids;
            }
            Q_EMIT progressChanged(++run->step);
            unlinkNext(run);
        };
        // Entries without a remote entry have nothing to take back on the service.
        if (remoteId != 0) {
            unbook(remoteId, booking, run, next);
        } else if (LinkStore::clearLinks(booking.ids).ok()) {
            result.withoutRemoteSeconds += booking.seconds;
            next(true);
        } else {
            result.failures << tr("their links could not be cleared in the local database");
            next(false);
        }
        return;
    }
    if (run->showsProgress) {
        Q_EMIT progressFinished();
    }
    QList<LinkedEntry> entries;
    LinkStore::readEntries(run->ids, &entries);
    for (const LinkedEntry &entry : std::as_const(entries)) {
        if (entry.taskId != 0 && !result.unlinked.contains(entry.id) && !result.unconfirmed.contains(entry.id)) {
            result.keptLinked << entry.id;
            result.keptSeconds += entry.seconds;
        }
    }
    run->done(result);
}

StoreResult BookingService::settleBooking(const PendingBooking &booking, bool booked)
{
    return booked ? LinkStore::acceptAsBooked(booking.entryIds) : LinkStore::clearLinks(booking.entryIds);
}

void BookingService::settleUnbooking(const PendingUnbooking &unbooking, const SettleDone &done)
{
    readRemoteTimes(unbooking.remoteEntryId, [unbooking, done](const RemoteTimes &times) {
        const QDateTime oldEnd(unbooking.oldEnd.date(), unbooking.oldEnd.time(), Qt::UTC);
        const QDateTime newEnd = unbooking.newEnd.isValid()
                                     ? QDateTime(unbooking.newEnd.date(), unbooking.newEnd.time(), Qt::UTC)
                                     : QDateTime();
        Settled settled = Settled::Unknown;
        if (times.gone) {
            // Deleted as asked, or by hand: the service holds none of their time now.
            settled = Settled::Done;
        } else if (times.read && newEnd.isValid() && times.end == newEnd) {
            settled = Settled::Done;
        } else if (times.read && times.end == oldEnd) {
            settled = Settled::NotDone;
        }
        if (settled != Settled::Unknown && !settleUnbookingAs(unbooking, settled == Settled::Done).ok()) {
            settled = Settled::Unknown;
        }
        done(settled);
    });
}

StoreResult BookingService::settleUnbookingAs(const PendingUnbooking &unbooking, bool done)
{
    return done ? LinkStore::clearLinks(unbooking.entryIds) : LinkStore::forgetUnbooking(unbooking.entryIds);
}
