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

BookingService::LinkResult BookingService::link(const EntryIds &ids, qint64 taskId, const QString &notes)
{
    LinkResult result;
    result.target = targetFor(taskId);
    QList<LinkedEntry> entries;
    const StoreResult read = LinkStore::readEntries(ids, &entries);
    if (!read.ok() || entries.size() != ids.size() || taskId <= 0) {
        result.reason = read.ok() ? QStringLiteral("some of the entries no longer exist") : read.error();
        return result;
    }
    for (const LinkedEntry &entry : std::as_const(entries)) {
        if (entry.taskId != 0) {
            result.reason = QStringLiteral("some of the entries are linked already");
            return result;
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
        return result;
    }
    QDomDocument reply;
    const ServiceCall::Outcome outcome =
        ServiceCall::change(QStringLiteral("tavro.entries.addBulk"),
                            {{QStringLiteral("date"), TimeText::formatDate(result.day)},
                             {QStringLiteral("duration"), QString::number(result.seconds)},
                             {QStringLiteral("task_id"), QString::number(taskId)},
                             {QStringLiteral("description"), notes, true}},
                            reply);
    if (outcome == ServiceCall::Outcome::NotDone) {
        qCDebug(lcLinking) << "FAILED: tavro.entries.addBulk";
        const StoreResult cleared = LinkStore::clearLinks(ids);
        result.reason = cleared.ok() ? QStringLiteral("Tavro did not book it")
                                     : QStringLiteral("Tavro did not book it, but the entries could not be unmarked");
        result.status = cleared.ok() ? LinkResult::Status::NotLinked : LinkResult::Status::Unconfirmed;
        return result;
    }
    const QString remoteId = ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("id"));
    qCDebug(lcLinking) << "API add entry result: ext_entry_id = " << remoteId;
    bool numeric = false;
    result.remoteEntryId = remoteId.toLongLong(&numeric);
    if (outcome == ServiceCall::Outcome::Unknown || !numeric || result.remoteEntryId <= 0) {
        result.status = LinkResult::Status::Unconfirmed;
        result.reason = outcome == ServiceCall::Outcome::Unknown
                            ? QStringLiteral("its answer was lost or could not be read")
                            : QStringLiteral("it accepted the booking without naming the new entry");
        result.remoteEntryId = 0;
        return result;
    }
    const StoreResult confirmed = LinkStore::confirm(ids, result.remoteEntryId);
    if (!confirmed.ok()) {
        result.status = LinkResult::Status::NotStored;
        result.reason = confirmed.error();
        return result;
    }
    result.status = LinkResult::Status::Linked;
    return result;
}

bool BookingService::readRemoteTimes(qint64 remoteEntryId, QDateTime *start, QDateTime *end, bool *gone)
{
    qCDebug(lcLinking) << "get ext entry end time, entry id = " << remoteEntryId;
    QDomDocument reply;
    const bool ok = ServiceCall::get(QStringLiteral("tavro.entries.getInfo"),
                                     {{QStringLiteral("entry_id"), QString::number(remoteEntryId)}}, reply);
    QString code;
    QString message;
    *gone = ApiReply::isError(reply, code, message) && code == NotFoundCode;
    const QDomElement entry = ApiReply::firstElement(reply, QStringLiteral("entry"));
    *start = remoteTime(ApiReply::firstElement(entry, QStringLiteral("start")).text());
    *end = remoteTime(ApiReply::firstElement(entry, QStringLiteral("end")).text());
    return ok && start->isValid() && end->isValid();
}

bool BookingService::unbook(qint64 remoteEntryId, const RemoteBooking &booking, UnlinkResult &result)
{
    QDateTime start;
    QDateTime end;
    bool gone = false;
    if (!readRemoteTimes(remoteEntryId, &start, &end, &gone)) {
        // Unknown times say nothing about how much is left: never change anything on them.
        result.failures << QStringLiteral("the times of remote entry %1 could not be read").arg(remoteEntryId);
        return false;
    }
    qint64 booked = 0;
    if (!LinkStore::readBookedSeconds(remoteEntryId, &booked).ok()) {
        result.failures << QStringLiteral("their links could not be read from the local database");
        return false;
    }
    const qint64 remaining = start.secsTo(end) - booking.seconds;
    const qint64 othersLinked = booked - booking.seconds;
    if (remaining <= 0 && othersLinked > 0) {
        // Deleting it would take the time of other linked entries with it.
        result.failures
            << QStringLiteral("remote entry %1 holds less time than is linked with it here").arg(remoteEntryId);
        return false;
    }
    const QDateTime newEnd = remaining > 0 ? start.addSecs(remaining) : QDateTime();
    const StoreResult marked = LinkStore::markUnbooking(booking.ids, remoteEntryId, booking.seconds, end, newEnd);
    if (!marked.ok()) {
        result.failures << QStringLiteral("the local database cannot be written (%1)").arg(marked.error());
        return false;
    }
    QDomDocument reply;
    ServiceCall::Outcome outcome;
    if (newEnd.isValid()) {
        qCDebug(lcLinking) << "update ext entry end time, entry_id = " << remoteEntryId << ", time: " << start
                           << newEnd;
        outcome = ServiceCall::change(QStringLiteral("tavro.entries.update"),
                                      {{QStringLiteral("entry_id"), QString::number(remoteEntryId)},
                                       {QStringLiteral("start"), remoteText(start)},
                                       {QStringLiteral("end"), remoteText(newEnd)}},
                                      reply);
    } else {
        qCDebug(lcLinking) << "delete ext entry, entry_id = " << remoteEntryId;
        outcome = ServiceCall::change(QStringLiteral("tavro.entries.delete"),
                                      {{QStringLiteral("entry_id"), QString::number(remoteEntryId)}}, reply);
    }
    switch (outcome) {
    case ServiceCall::Outcome::Done:
        if (!LinkStore::clearLinks(booking.ids).ok()) {
            result.failures << QStringLiteral("their links could not be cleared in the local database");
            return false;
        }
        return true;
    case ServiceCall::Outcome::NotDone:
        LinkStore::forgetUnbooking(booking.ids);
        result.failures << (newEnd.isValid() ? QStringLiteral("remote entry %1 could not be shortened")
                                             : QStringLiteral("remote entry %1 could not be deleted"))
                               .arg(remoteEntryId);
        return false;
    case ServiceCall::Outcome::Unknown:
        break;
    }
    result.unconfirmed << booking.ids;
    result.unconfirmedSeconds += booking.seconds;
    return false;
}

BookingService::UnlinkResult BookingService::unlink(const EntryIds &ids)
{
    qCDebug(lcLinking) << "unlink entries: " << ids;
    UnlinkResult result;
    // An unconfirmed booking or unbooking is settled, not unlinked: unlinking it could take the time
    // off twice, or offer it for a second booking.
    const EntryIds unconfirmed = LinkStore::unconfirmedAmong(ids);
    if (!unconfirmed.isEmpty()) {
        result.failures << QStringLiteral("Tavro has not confirmed their booking or unlinking yet (choose \"Settle "
                                          "Unconfirmed Booking\" first)");
    }
    EntryIds candidates;
    for (qint64 id : ids) {
        if (!unconfirmed.contains(id)) {
            candidates << id;
        }
    }
    QString dbError;
    QMap<qint64, RemoteBooking> bookings;
    if (candidates.isEmpty()) {
        // Nothing here to take back.
    } else if (!LinkStore::isWritable(&dbError)) {
        // Taking time off the service whose local side cannot be stored would leave the two apart.
        result.failures << QStringLiteral("the local database cannot be written (%1)").arg(dbError);
    } else if (LinkStore::readRemoteBookings(candidates, &bookings).ok()) {
        Q_EMIT progressStarted(0, 2 * int(bookings.size()));
        int step = 0;
        for (auto it = bookings.cbegin(); it != bookings.cend(); ++it) {
            // Entries without a remote entry have nothing to take back on the service.
            if (it.key() == 0) {
                if (LinkStore::clearLinks(it->ids).ok()) {
                    result.unlinked << it->ids;
                    result.withoutRemoteSeconds += it->seconds;
                } else {
                    result.failures << QStringLiteral("their links could not be cleared in the local database");
                }
            } else if (unbook(it.key(), *it, result)) {
                result.unlinked << it->ids;
            }
            Q_EMIT progressChanged(++step);
        }
        Q_EMIT progressFinished();
    } else {
        result.failures << QStringLiteral("their links could not be read from the local database");
    }
    QList<LinkedEntry> entries;
    LinkStore::readEntries(ids, &entries);
    for (const LinkedEntry &entry : std::as_const(entries)) {
        if (entry.taskId != 0 && !result.unlinked.contains(entry.id) && !result.unconfirmed.contains(entry.id)) {
            result.keptLinked << entry.id;
            result.keptSeconds += entry.seconds;
        }
    }
    return result;
}

StoreResult BookingService::settleBooking(const PendingBooking &booking, bool booked)
{
    return booked ? LinkStore::acceptAsBooked(booking.entryIds) : LinkStore::clearLinks(booking.entryIds);
}

BookingService::Settled BookingService::settleUnbooking(const PendingUnbooking &unbooking)
{
    QDateTime start;
    QDateTime end;
    bool gone = false;
    const bool read = readRemoteTimes(unbooking.remoteEntryId, &start, &end, &gone);
    const QDateTime oldEnd(unbooking.oldEnd.date(), unbooking.oldEnd.time(), Qt::UTC);
    const QDateTime newEnd =
        unbooking.newEnd.isValid() ? QDateTime(unbooking.newEnd.date(), unbooking.newEnd.time(), Qt::UTC) : QDateTime();
    Settled settled = Settled::Unknown;
    if (gone) {
        // Deleted as asked, or by hand: the service holds none of their time now.
        settled = Settled::Done;
    } else if (read && newEnd.isValid() && end == newEnd) {
        settled = Settled::Done;
    } else if (read && end == oldEnd) {
        settled = Settled::NotDone;
    }
    if (settled != Settled::Unknown && !settleUnbookingAs(unbooking, settled == Settled::Done).ok()) {
        return Settled::Unknown;
    }
    return settled;
}

StoreResult BookingService::settleUnbookingAs(const PendingUnbooking &unbooking, bool done)
{
    return done ? LinkStore::clearLinks(unbooking.entryIds) : LinkStore::forgetUnbooking(unbooking.entryIds);
}
