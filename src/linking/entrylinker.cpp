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
    return taskName.isEmpty() ? tr("task %1").arg(taskId) : QStringLiteral("\"%1\"").arg(taskName);
}

void EntryLinker::showStored(const EntryIds &linkedIds)
{
    // The views may have taken entries out already: both show what the store holds now.
    m_unlinkedModel->refresh();
    m_linkedModel->refresh(linkedIds);
    Q_EMIT linksChanged();
}

void EntryLinker::enqueue(const std::function<void()> &flow)
{
    m_queue.push_back(flow);
    if (!m_busy) {
        m_busy = true;
        Q_EMIT busyChanged(true);
        runNext();
    }
}

void EntryLinker::runNext()
{
    if (m_queue.empty()) {
        m_busy = false;
        Q_EMIT busyChanged(false);
        return;
    }
    const std::function<void()> next = m_queue.front();
    m_queue.pop_front();
    next();
}

void EntryLinker::connectEntriesWithTask(const QStringList &entries, const QString &taskId, const QString &notes)
{
    link(entries, taskId, notes);
}

void EntryLinker::link(const QStringList &entries, const QString &taskId, const QString &notes, const LinkDone &done)
{
    qCDebug(lcLinking) << "connect entries with task (" << taskId << entries << ", notes: " << notes;
    const auto finish = [this, done](BookingService::LinkResult::Status status) {
        if (done) {
            done(status);
        }
        runNext();
    };
    enqueue([this, entries, taskId, notes, finish] {
        EntryIds ids;
        EntryIds task;
        if (entries.isEmpty() || !toEntryIds(entries, &ids) || !toEntryIds({taskId}, &task)) {
            qCDebug(lcLinking) << "refusing to link: ids must be positive decimal numbers";
            finish(BookingService::LinkResult::Status::NotLinked);
            return;
        }
        m_service.link(ids, task.first(), notes, [this, ids, finish](const BookingService::LinkResult &result) {
            showStored(result.status == BookingService::LinkResult::Status::Linked ? ids : EntryIds{});
            tellLinkResult(result);
            finish(result.status);
        });
    });
}

void EntryLinker::tellLinkResult(const BookingService::LinkResult &result)
{
    switch (result.status) {
    case BookingService::LinkResult::Status::Linked:
        break;
    case BookingService::LinkResult::Status::NotLinked:
        qCDebug(lcLinking) << "not linked:" << result.reason;
        if (result.storeFailed) {
            MessageBox::warning(parent(), tr("Database error"),
                                tr("Nothing was booked on Tavro, because the local database cannot "
                                   "store the link: %1")
                                    .arg(result.reason));
        }
        break;
    case BookingService::LinkResult::Status::Unconfirmed:
        MessageBox::warning(parent(), tr("Booking not confirmed"),
                            tr("Tavro may have booked %1 on %2 for %3, but %4.\n\nThe entries are kept "
                               "as linked, marked unconfirmed, so that they are not booked twice. Check "
                               "the task's time on Tavro, then choose \"Settle Unconfirmed Booking\" on "
                               "them in the linked entries.")
                                .arg(formatDuration(result.seconds),
                                     taskText(result.target.taskId, result.target.taskName),
                                     TimeText::formatDate(result.day), result.reason));
        break;
    case BookingService::LinkResult::Status::NotStored:
        MessageBox::warning(parent(), tr("Database error"),
                            tr("Tavro booked the time as entry %1, but the local database could not "
                               "store that. The entries stay marked unconfirmed.")
                                .arg(result.remoteEntryId));
        break;
    }
}

void EntryLinker::unlinkEntries(const QStringList &entries)
{
    EntryIds ids;
    if (entries.isEmpty() || !toEntryIds(entries, &ids)) {
        return;
    }
    enqueue([this, ids] {
        m_service.unlink(ids, [this](const BookingService::UnlinkResult &result) {
            showStored();
            tellUnlinkResult(result);
            runNext();
        });
    });
}

void EntryLinker::tellUnlinkResult(const BookingService::UnlinkResult &result)
{
    if (result.withoutRemoteSeconds > 0) {
        MessageBox::information(parent(), tr("Unlinked without a Tavro entry"),
                                tr("%1 of the unlinked time belonged to no Tavro entry known here. If it "
                                   "is booked on Tavro, take it off there before linking it again.")
                                    .arg(formatDuration(result.withoutRemoteSeconds)));
    }
    if (!result.unconfirmed.isEmpty()) {
        MessageBox::warning(parent(), tr("Unlinking not confirmed"),
                            tr("Tavro may have taken %1 off, but its answer was lost or could not be "
                               "read.\n\nThe entries are kept as linked, marked unconfirmed, so that the "
                               "time is not taken off twice. Choose \"Settle Unconfirmed Booking\" on "
                               "them in the linked entries to let TavroDesk ask Tavro again.")
                                .arg(formatDuration(result.unconfirmedSeconds)));
    }
    if (!result.failures.isEmpty()) {
        MessageBox::warning(parent(), tr("Unlink failed"),
                            tr("%1 of the selected time is still linked with Tavro, because %2.\n\n"
                               "These entries stay linked; try to unlink them again later.")
                                .arg(formatDuration(result.keptSeconds), result.failures.join(tr(", and "))));
    }
}

std::optional<bool> EntryLinker::askToSettle(const QString &question)
{
    const MessageBox::Button answer = MessageBox::question(
        parent(), tr("Settle Unconfirmed Booking"), tr("%1\nCancel: decide later.").arg(question),
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
    enqueue([this, ids] {
        const QList<PendingBooking> bookings = LinkStore::pendingBookings(ids);
        const QList<PendingUnbooking> unbookings = LinkStore::pendingUnbookings(ids);
        if (bookings.isEmpty() && unbookings.isEmpty()) {
            MessageBox::information(parent(), tr("Settle Unconfirmed Booking"),
                                    tr("The selected entries hold no unconfirmed booking."));
            runNext();
            return;
        }
        bool failed = false;
        for (const PendingBooking &booking : bookings) {
            const std::optional<bool> booked =
                askToSettle(tr("On %1 TavroDesk asked Tavro to book %2 on %3 for %4 and got no usable answer."
                               "\n\nLook at that task's time on Tavro. Is this time booked there?\n\nYes: keep "
                               "the entries linked.\nNo: unlink them, so that they can be linked again.")
                                .arg(TimeText::formatDateTime(booking.requested), formatDuration(booking.seconds),
                                     taskText(booking.taskId, booking.taskName), TimeText::formatDate(booking.day)));
            if (booked) {
                failed = !BookingService::settleBooking(booking, *booked).ok() || failed;
            }
        }
        settleUnbookings(unbookings, failed);
    });
}

void EntryLinker::settleUnbookings(const QList<PendingUnbooking> &unbookings, bool failed)
{
    if (unbookings.isEmpty()) {
        if (failed) {
            MessageBox::warning(parent(), tr("Database error"),
                                tr("An answer could not be stored; its booking stays unconfirmed."));
        }
        showStored();
        runNext();
        return;
    }
    const PendingUnbooking unbooking = unbookings.first();
    m_service.settleUnbooking(
        unbooking, [this, unbookings, unbooking, failed](BookingService::Settled settled) mutable {
            if (settled == BookingService::Settled::Unknown) {
                const std::optional<bool> takenOff = askToSettle(
                    tr("On %1 TavroDesk asked Tavro to take %2 off its entry %3, and Tavro's entry now tells "
                       "neither that this happened nor that it did not.\n\nLook at that entry on Tavro. Is this "
                       "time taken off there?\n\nYes: unlink the entries.\nNo: keep them linked.")
                        .arg(TimeText::formatDateTime(unbooking.requested), formatDuration(unbooking.seconds))
                        .arg(unbooking.remoteEntryId));
                if (takenOff) {
                    failed = !BookingService::settleUnbookingAs(unbooking, *takenOff).ok() || failed;
                }
            }
            settleUnbookings(unbookings.mid(1), failed);
        });
}
