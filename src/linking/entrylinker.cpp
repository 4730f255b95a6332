#include "entrylinker.h"

#include "logging.h"
#include "messagebox.h"
#include "timetext.h"
#include "treemodel.h"

#include <QDebug>

EntryLinker::EntryLinker(TreeModel *unlinkedModel, TreeModel *linkedModel, QObject *parent)
    : QObject(parent)
    , m_unlinkedModel(unlinkedModel)
    , m_linkedModel(linkedModel)
{
    connect(&m_service, &BookingService::progressStarted, this, &EntryLinker::progressStarted);
    connect(&m_service, &BookingService::progressChanged, this, &EntryLinker::progressChanged);
    connect(&m_service, &BookingService::progressFinished, this, &EntryLinker::progressFinished);
}

bool EntryLinker::toEntryIds(const QStringList &texts, EntryIds *ids)
{
    ids->clear();
    for (const QString &text : texts) {
        bool ok = false;
        const qint64 id = text.toLongLong(&ok);
        if (!ok || id <= 0 || text.trimmed() != text) {
            qCDebug(lcLinking) << "not an id:" << text;
            return false;
        }
        if (!ids->contains(id)) {
            ids->append(id);
        }
    }
    return true;
}

QString EntryLinker::taskText(qint64 taskId, const QString &taskName)
{
    return taskName.isEmpty() ? QStringLiteral("task %1").arg(taskId) : QStringLiteral("\"%1\"").arg(taskName);
}

void EntryLinker::showStored(const EntryIds &linkedIds)
{
    // The views may have taken entries out already: both show what the store holds now.
    m_unlinkedModel->refresh();
    m_linkedModel->refresh(linkedIds);
    Q_EMIT linksChanged();
}

BookingService::LinkResult::Status EntryLinker::connectEntriesWithTask(const QStringList &entries,
                                                                       const QString &taskId, const QString &notes)
{
    qCDebug(lcLinking) << "connect entries with task (" << taskId << entries << ", notes: " << notes;
    EntryIds ids;
    EntryIds task;
    if (entries.isEmpty() || !toEntryIds(entries, &ids) || !toEntryIds({taskId}, &task)) {
        qCDebug(lcLinking) << "refusing to link: ids must be positive decimal numbers";
        return BookingService::LinkResult::Status::NotLinked;
    }
    const BookingService::LinkResult result = m_service.link(ids, task.first(), notes);
    showStored(result.status == BookingService::LinkResult::Status::Linked ? ids : EntryIds{});
    switch (result.status) {
    case BookingService::LinkResult::Status::Linked:
        break;
    case BookingService::LinkResult::Status::NotLinked:
        qCDebug(lcLinking) << "not linked:" << result.reason;
        if (result.storeFailed) {
            MessageBox::warning(parent(), QStringLiteral("Database error"),
                                QStringLiteral("Nothing was booked on Tavro, because the local database cannot "
                                               "store the link: %1")
                                    .arg(result.reason));
        }
        break;
    case BookingService::LinkResult::Status::Unconfirmed:
        MessageBox::warning(parent(), QStringLiteral("Booking not confirmed"),
                            QStringLiteral("Tavro may have booked %1 on %2 for %3, but %4.\n\nThe entries are kept "
                                           "as linked, marked unconfirmed, so that they are not booked twice. Check "
                                           "the task's time on Tavro, then choose \"Settle Unconfirmed Booking\" on "
                                           "them in the linked entries.")
                                .arg(formatDuration(result.seconds),
                                     taskText(result.target.taskId, result.target.taskName),
                                     TimeText::formatDate(result.day), result.reason));
        break;
    case BookingService::LinkResult::Status::NotStored:
        MessageBox::warning(parent(), QStringLiteral("Database error"),
                            QStringLiteral("Tavro booked the time as entry %1, but the local database could not "
                                           "store that. The entries stay marked unconfirmed.")
                                .arg(result.remoteEntryId));
        break;
    }
    return result.status;
}

void EntryLinker::unlinkEntries(const QStringList &entries)
{
    EntryIds ids;
    if (entries.isEmpty() || !toEntryIds(entries, &ids)) {
        return;
    }
    const BookingService::UnlinkResult result = m_service.unlink(ids);
    showStored();
    tellUnlinkResult(result);
}

void EntryLinker::tellUnlinkResult(const BookingService::UnlinkResult &result)
{
    if (result.withoutRemoteSeconds > 0) {
        MessageBox::information(parent(), QStringLiteral("Unlinked without a Tavro entry"),
                                QStringLiteral("%1 of the unlinked time belonged to no Tavro entry known here. If it "
                                               "is booked on Tavro, take it off there before linking it again.")
                                    .arg(formatDuration(result.withoutRemoteSeconds)));
    }
    if (!result.unconfirmed.isEmpty()) {
        MessageBox::warning(parent(), QStringLiteral("Unlinking not confirmed"),
                            QStringLiteral("Tavro may have taken %1 off, but its answer was lost or could not be "
                                           "read.\n\nThe entries are kept as linked, marked unconfirmed, so that the "
                                           "time is not taken off twice. Choose \"Settle Unconfirmed Booking\" on "
                                           "them in the linked entries to let TavroDesk ask Tavro again.")
                                .arg(formatDuration(result.unconfirmedSeconds)));
    }
    if (!result.failures.isEmpty()) {
        MessageBox::warning(
            parent(), QStringLiteral("Unlink failed"),
            QStringLiteral("%1 of the selected time is still linked with Tavro, because %2.\n\n"
                           "These entries stay linked; try to unlink them again later.")
                .arg(formatDuration(result.keptSeconds), result.failures.join(QStringLiteral(", and "))));
    }
}

std::optional<bool> EntryLinker::askToSettle(const QString &question)
{
    const MessageBox::Button answer = MessageBox::question(
        parent(), QStringLiteral("Settle Unconfirmed Booking"), question + QStringLiteral("\nCancel: decide later."),
        MessageBox::Buttons(MessageBox::Yes) | MessageBox::No | MessageBox::Cancel, MessageBox::Cancel);
    if (answer == MessageBox::Cancel) {
        return std::nullopt;
    }
    return answer == MessageBox::Yes;
}

void EntryLinker::settleEntries(const QStringList &entries)
{
    EntryIds ids;
    if (!toEntryIds(entries, &ids)) {
        return;
    }
    const QList<PendingBooking> bookings = LinkStore::pendingBookings(ids);
    const QList<PendingUnbooking> unbookings = LinkStore::pendingUnbookings(ids);
    if (bookings.isEmpty() && unbookings.isEmpty()) {
        MessageBox::information(parent(), QStringLiteral("Settle Unconfirmed Booking"),
                                QStringLiteral("The selected entries hold no unconfirmed booking."));
        return;
    }
    bool failed = false;
    for (const PendingBooking &booking : bookings) {
        const std::optional<bool> booked =
            askToSettle(QStringLiteral("On %1 TavroDesk asked Tavro to book %2 on %3 for %4 and got no usable answer."
                                       "\n\nLook at that task's time on Tavro. Is this time booked there?\n\nYes: keep "
                                       "the entries linked.\nNo: unlink them, so that they can be linked again.")
                            .arg(TimeText::formatDateTime(booking.requested), formatDuration(booking.seconds),
                                 taskText(booking.taskId, booking.taskName), TimeText::formatDate(booking.day)));
        if (booked) {
            failed = !BookingService::settleBooking(booking, *booked).ok() || failed;
        }
    }
    for (const PendingUnbooking &unbooking : unbookings) {
        if (m_service.settleUnbooking(unbooking) != BookingService::Settled::Unknown) {
            continue;
        }
        const std::optional<bool> takenOff = askToSettle(
            QStringLiteral("On %1 TavroDesk asked Tavro to take %2 off its entry %3, and Tavro's entry now tells "
                           "neither that this happened nor that it did not.\n\nLook at that entry on Tavro. Is this "
                           "time taken off there?\n\nYes: unlink the entries.\nNo: keep them linked.")
                .arg(TimeText::formatDateTime(unbooking.requested), formatDuration(unbooking.seconds))
                .arg(unbooking.remoteEntryId));
        if (takenOff) {
            failed = !BookingService::settleUnbookingAs(unbooking, *takenOff).ok() || failed;
        }
    }
    if (failed) {
        MessageBox::warning(parent(), QStringLiteral("Database error"),
                            QStringLiteral("An answer could not be stored; its booking stays unconfirmed."));
    }
    showStored();
}
