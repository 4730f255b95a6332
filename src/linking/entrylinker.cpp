#include "entrylinker.h"

#include "apireply.h"
#include "appicon.h"
#include "linkstore.h"
#include "messagebox.h"
#include "pendinglinkstore.h"
#include "servicecall.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QDebug>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>

namespace {

QVariant idOrNull(const QString &id)
{
    bool ok = false;
    const qint64 number = id.toLongLong(&ok);
    return ok && number > 0 ? QVariant(number) : QVariant(QMetaType::fromType<qint64>());
}

QString mapValue(const char *key, const QString &id)
{
    return Settings::instance()->value(QLatin1String(key)).toMap().value(id).toString();
}

qint64 recordSeconds(const EntryLinker::Record &record)
{
    const QDateTime start = parseDateTime(record.value(QStringLiteral("start_time")));
    const QDateTime end = parseDateTime(record.value(QStringLiteral("end_time")));
    return start.isValid() && end.isValid() ? start.secsTo(end) : 0;
}

} // namespace

EntryLinker::EntryLinker(TreeModel *unlinkedModel, TreeModel *linkedModel, QObject *parent)
    : QObject(parent)
    , m_unlinkedModel(unlinkedModel)
    , m_linkedModel(linkedModel)
{}

bool EntryLinker::validIds(const QStringList &entries)
{
    static const QRegularExpression number(QRegularExpression::anchoredPattern(QStringLiteral("[1-9][0-9]{0,17}")));
    for (const QString &id : entries) {
        if (!number.match(id).hasMatch()) {
            qDebug() << "not an id:" << id;
            return false;
        }
    }
    return true;
}

bool EntryLinker::readRecords(const QStringList &entries, QList<Record> &records)
{
    const StoreResult read = LinkStore::readRecords(entries, &records);
    if (!read.ok()) {
        qDebug() << "db error: " << read.error();
    }
    return read.ok();
}

bool EntryLinker::connectEntriesWithTask(const QStringList &entries, const QString &taskId, const QString &notes)
{
    qDebug() << "connect entries with task (" << taskId << entries << ", notes: " << notes;
    if (entries.isEmpty()) {
        return false;
    }
    if (!validIds(entries) || !validIds({taskId})) {
        qDebug() << "refusing to link: ids must be decimal numbers";
        return false;
    }
    // The caller may already have taken the entries out of its view: whatever happens below, the
    // views show what the database holds once the event loop runs again.
    auto showStored = qScopeGuard([this] { reloadViewsLater(); });
    QList<Record> records;
    QList<Group> groups;
    if (!readRecords(entries, records) || !readGroups(entries, groups) || records.isEmpty()) {
        qDebug() << "no entries to link";
        return false;
    }
    // Linked already, or waiting for their booking to be settled: a second booking would count them twice.
    for (const Record &record : records) {
        if (!record.value(QStringLiteral("ext_task_id")).isEmpty()) {
            qDebug() << "refusing to link: entry" << record.value(QStringLiteral("id")) << "is linked already";
            return false;
        }
    }

    qint64 duration = 0;
    for (const Record &record : records) {
        duration += recordSeconds(record);
    }
    const QDate date = parseDateTime(records.first().value(QStringLiteral("start_time"))).date();

    // The rows are marked before the service is asked: a booking whose local side cannot be stored is
    // never made, and one whose answer goes missing is never made twice.
    PendingLinkStore::Target target;
    target.taskId = taskId;
    target.projectId = mapValue("mapTaskParentProjects", taskId);
    target.tasklistId = mapValue("mapTaskParentTasklists", taskId);
    target.taskName = mapValue("mapTaskNames", taskId);
    target.projectName = mapValue("mapProjectNames", target.projectId);
    target.tasklistName = mapValue("mapTasklistNames", target.tasklistId);
    QString dbError;
    if (!PendingLinkStore::markPending(entries, target, date, duration, &dbError)) {
        MessageBox::warning(parent(), QStringLiteral("Database error"),
                            QStringLiteral("Nothing was booked on Tavro, because the local database cannot store the "
                                           "link: %1")
                                .arg(dbError));
        return false;
    }

    QDomDocument reply;
    const ServiceCall::Outcome outcome = ServiceCall::change(QStringLiteral("tavro.entries.addBulk"),
                                                             {{QStringLiteral("date"), TimeText::formatDate(date)},
                                                              {QStringLiteral("duration"), QString::number(duration)},
                                                              {QStringLiteral("task_id"), taskId},
                                                              {QStringLiteral("description"), notes, true}},
                                                             reply);
    if (outcome == ServiceCall::Outcome::NotDone) {
        qDebug() << "FAILED: tavro.entries.addBulk";
        if (!PendingLinkStore::clearLinks(entries)) {
            qDebug() << "the refused booking stays marked unconfirmed";
        }
        return false;
    }
    const QString extEntryId = ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("id"));
    qDebug() << "API add entry result: ext_entry_id = " << extEntryId << ", updated = "
             << ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("updated"));
    const QVariant remoteId = idOrNull(extEntryId);
    if (outcome == ServiceCall::Outcome::Unknown || remoteId.isNull()) {
        qDebug() << "FAILED: tavro.entries.addBulk gave no usable answer; the booking stays unconfirmed";
        tellUnconfirmed(target, date, duration,
                        outcome == ServiceCall::Outcome::Unknown
                            ? QStringLiteral("its answer was lost or could not be read")
                            : QStringLiteral("it accepted the booking without naming the new entry"));
        return false;
    }
    if (!PendingLinkStore::confirm(entries, remoteId.toLongLong())) {
        MessageBox::warning(parent(), QStringLiteral("Database error"),
                            QStringLiteral("Tavro booked the time as entry %1, but the local database could not "
                                           "store that. The entries stay marked unconfirmed.")
                                .arg(extEntryId));
        return false;
    }
    qDebug() << "db update successful for entries " << entries.join(QLatin1Char(','));
    showStored.dismiss();
    addToLinkedModel(groups, records, taskId);
    return true;
}

void EntryLinker::tellUnconfirmed(const PendingLinkStore::Target &target, const QDate &day, qint64 seconds,
                                  const QString &reason)
{
    const QString task = target.taskName.isEmpty() ? QStringLiteral("task %1").arg(target.taskId)
                                                   : QStringLiteral("\"%1\"").arg(target.taskName);
    MessageBox::warning(parent(), QStringLiteral("Booking not confirmed"),
                        QStringLiteral("Tavro may have booked %1 on %2 for %3, but %4.\n\nThe entries are kept "
                                       "as linked, marked unconfirmed, so that they are not booked twice. Check "
                                       "the task's time on Tavro, then choose \"Settle Unconfirmed Booking\" on "
                                       "them in the linked entries.")
                            .arg(formatDuration(seconds), task, TimeText::formatDate(day), reason));
}

bool EntryLinker::readGroups(const QStringList &entries, QList<Group> &groups)
{
    groups.clear();
    QList<QPair<QString, QString>> pairs;
    const StoreResult read = LinkStore::readTitleGroups(entries, &pairs);
    if (!read.ok()) {
        qDebug() << "db error: " << read.error();
        return false;
    }
    for (const auto &[applicationId, title] : std::as_const(pairs)) {
        groups.append({applicationId, title});
    }
    return true;
}

void EntryLinker::addToLinkedModel(const QList<Group> &groups, const QList<Record> &records, const QString &taskId)
{
    for (const Group &group : groups) {
        // Entries going back after a failed unlink keep their own tasks: one batch per task then.
        QMap<QString, QList<Record>> batches;
        for (const Record &record : records) {
            if (record.value(QStringLiteral("application_id")) == group.applicationId &&
                record.value(QStringLiteral("title")) == group.title) {
                batches[taskId.isEmpty() ? record.value(QStringLiteral("ext_task_id")) : taskId].append(record);
            }
        }
        for (auto it = batches.cbegin(); it != batches.cend(); ++it) {
            m_linkedModel->addLinkedTimeBatch(it.value(), it.key());
        }
    }
}

bool EntryLinker::readRemoteGroups(const QStringList &entries, QMap<qint64, RemoteGroup> &groups)
{
    groups.clear();
    QMap<qint64, RemoteBooking> bookings;
    const StoreResult read = LinkStore::readRemoteBookings(entries, &bookings);
    if (!read.ok()) {
        qDebug() << "db error: " << read.error();
        return false;
    }
    for (auto it = bookings.cbegin(); it != bookings.cend(); ++it) {
        groups.insert(it.key(), {it->seconds, it->ids});
    }
    return true;
}

bool EntryLinker::getEntryTimes(int extEntryId, QDateTime &start, QDateTime &end)
{
    qDebug() << "get ext entry end time, entry id = " << extEntryId;
    QDomDocument reply;
    const bool ok = ServiceCall::get(QStringLiteral("tavro.entries.getInfo"),
                                     {{QStringLiteral("entry_id"), QString::number(extEntryId)}}, reply);
    if (!ok) {
        qDebug() << "status: " << ApiReply::status(reply);
    }
    const QDomElement entry = ApiReply::firstElement(reply, QStringLiteral("entry"));
    start = parseDateTime(ApiReply::firstElement(entry, QStringLiteral("start")).text());
    end = parseDateTime(ApiReply::firstElement(entry, QStringLiteral("end")).text());
    return ok && start.isValid() && end.isValid();
}

bool EntryLinker::updateRemoteEntryTimes(int extEntryId, const QDateTime &start, const QDateTime &end)
{
    qDebug() << "update ext entry end time, entry_id = " << extEntryId << ", time: " << start << end;
    QDomDocument reply;
    const bool ok = ServiceCall::post(QStringLiteral("tavro.entries.update"),
                                      {{QStringLiteral("entry_id"), QString::number(extEntryId)},
                                       {QStringLiteral("start"), TimeText::formatDateTime(start)},
                                       {QStringLiteral("end"), TimeText::formatDateTime(end)}},
                                      reply);
    if (!ok) {
        qDebug() << "status: " << ApiReply::status(reply);
    }
    return ok;
}

bool EntryLinker::deleteRemoteEntry(int extEntryId)
{
    qDebug() << "delete ext entry, entry_id = " << extEntryId;
    QDomDocument reply;
    const bool ok = ServiceCall::post(QStringLiteral("tavro.entries.delete"),
                                      {{QStringLiteral("entry_id"), QString::number(extEntryId)}}, reply);
    if (!ok) {
        qDebug() << "status: " << ApiReply::status(reply);
    }
    return ok;
}

bool EntryLinker::clearEntryLinks(const QStringList &entries)
{
    return validIds(entries) && PendingLinkStore::clearLinks(entries);
}

bool EntryLinker::unbook(qint64 extEntryId, qint64 seconds, QString &failure)
{
    QDateTime start;
    QDateTime end;
    if (!getEntryTimes(int(extEntryId), start, end)) {
        // Unknown times say nothing about how much is left: never delete on them.
        failure = QStringLiteral("the times of remote entry %1 could not be read").arg(extEntryId);
        return false;
    }
    const QDateTime newEnd = end.addSecs(-seconds);
    if (start < newEnd) {
        if (!updateRemoteEntryTimes(int(extEntryId), start, newEnd)) {
            failure = QStringLiteral("remote entry %1 could not be shortened").arg(extEntryId);
            return false;
        }
        return true;
    }
    qDebug() << "WARNING: entry is shorter than duration. Deleting entry";
    if (!deleteRemoteEntry(int(extEntryId))) {
        failure = QStringLiteral("remote entry %1 could not be deleted").arg(extEntryId);
        return false;
    }
    return true;
}

void EntryLinker::unlinkEntries(const QStringList &entries)
{
    qDebug() << "unlink entries: " << entries;
    if (entries.isEmpty() || !validIds(entries)) {
        return;
    }
    QSet<QString> unlinked;
    QStringList failures;
    qint64 withoutRemote = 0;
    // An unconfirmed booking is settled, not unlinked: unlinking it would offer its time for a second one.
    const QStringList pending = PendingLinkStore::pendingAmong(entries);
    if (!pending.isEmpty()) {
        failures << QStringLiteral("their booking is not confirmed yet (choose \"Settle Unconfirmed Booking\" "
                                   "first)");
    }
    QStringList candidates = entries;
    for (const QString &id : pending) {
        candidates.removeAll(id);
    }
    QString dbError;
    QMap<qint64, RemoteGroup> groups;
    if (candidates.isEmpty()) {
        // Nothing here to take back.
    } else if (!PendingLinkStore::isWritable(&dbError)) {
        // Taking time off the service whose local side cannot be stored would leave the two apart.
        failures << QStringLiteral("the local database cannot be written (%1)").arg(dbError);
    } else if (readRemoteGroups(candidates, groups)) {
        Q_EMIT progressStarted(0, 2 * int(groups.size()));
        int step = 0;
        for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
            QString failure;
            // Entries without a remote entry have nothing to take back on the service.
            if (it.key() == 0 || unbook(it.key(), it->seconds, failure)) {
                if (clearEntryLinks(it->ids)) {
                    unlinked.unite(QSet<QString>(it->ids.cbegin(), it->ids.cend()));
                    withoutRemote += it.key() == 0 ? it->seconds : 0;
                } else {
                    failures << QStringLiteral("their links could not be cleared in the local database");
                }
            } else {
                failures << failure;
            }
            Q_EMIT progressChanged(++step);
        }
        Q_EMIT progressFinished();
    } else {
        failures << QStringLiteral("their links could not be read from the local database");
    }

    QStringList returning;
    QStringList keptLinked;
    for (const QString &id : entries) {
        (unlinked.contains(id) ? returning : keptLinked).append(id);
    }
    returnToUnlinkedModel(returning);
    if (withoutRemote > 0) {
        MessageBox::information(parent(), QStringLiteral("Unlinked without a Tavro entry"),
                                QStringLiteral("%1 of the unlinked time belonged to no Tavro entry known here. If it "
                                               "is booked on Tavro, take it off there before linking it again.")
                                    .arg(formatDuration(withoutRemote)));
    }
    if (!failures.isEmpty()) {
        keepLinked(keptLinked, failures);
    }
}

void EntryLinker::settleEntries(const QStringList &entries)
{
    if (!validIds(entries)) {
        return;
    }
    const QList<PendingBooking> bookings = PendingLinkStore::pendingBookings(entries);
    if (bookings.isEmpty()) {
        MessageBox::information(parent(), QStringLiteral("Settle Unconfirmed Booking"),
                                QStringLiteral("The selected entries hold no unconfirmed booking."));
        return;
    }
    for (const PendingBooking &booking : bookings) {
        const QString task = booking.taskName.isEmpty() ? QStringLiteral("task %1").arg(booking.taskId)
                                                        : QStringLiteral("\"%1\"").arg(booking.taskName);
        const MessageBox::Button answer = MessageBox::question(
            parent(), QStringLiteral("Settle Unconfirmed Booking"),
            QStringLiteral("On %1 TavroDesk asked Tavro to book %2 on %3 for %4 and got no usable answer.\n\n"
                           "Look at that task's time on Tavro. Is this time booked there?\n\nYes: keep the "
                           "entries linked.\nNo: unlink them, so that they can be linked again.\nCancel: decide "
                           "later.")
                .arg(TimeText::formatDateTime(booking.requested), formatDuration(booking.seconds), task,
                     TimeText::formatDate(booking.day)),
            MessageBox::Buttons(MessageBox::Yes) | MessageBox::No | MessageBox::Cancel, MessageBox::Cancel);
        const bool stored = answer == MessageBox::Yes  ? PendingLinkStore::acceptAsBooked(booking.entryIds)
                            : answer == MessageBox::No ? PendingLinkStore::clearLinks(booking.entryIds)
                                                       : true;
        if (!stored) {
            MessageBox::warning(parent(), QStringLiteral("Database error"),
                                QStringLiteral("The answer could not be stored; the booking stays unconfirmed."));
        }
    }
    reloadViewsLater();
}

void EntryLinker::reloadViewsLater()
{
    if (m_reloadScheduled) {
        return;
    }
    m_reloadScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_reloadScheduled = false;
        Q_EMIT viewsReloading();
        m_unlinkedModel->reload();
        m_linkedModel->reload();
        Q_EMIT viewsReloaded();
    });
}

void EntryLinker::returnToUnlinkedModel(const QStringList &entries)
{
    Q_EMIT progressStarted(0, int(entries.size()));
    int step = 0;
    for (const QString &id : entries) {
        QMap<QString, QVariant> entry;
        const StoreResult read = LinkStore::readEntry(id.toLongLong(), &entry);
        if (!read.ok()) {
            qDebug() << "db error: " << read.error();
        } else if (!entry.isEmpty()) {
            WindowInfo info;
            info.path = entry.value(QStringLiteral("app_path")).toString();
            info.name = entry.value(QStringLiteral("app_name")).toString();
            info.title = entry.value(QStringLiteral("title")).toString();
            info.icon = AppIcon::forPath(info.path);
            m_unlinkedModel->addEntry(parseDateTime(entry.value(QStringLiteral("start_time")).toString()),
                                      parseDateTime(entry.value(QStringLiteral("end_time")).toString()), info,
                                      entry.value(QStringLiteral("application_id")).toLongLong(), id.toLongLong());
        }
        Q_EMIT progressChanged(++step);
    }
    Q_EMIT progressFinished();
}

void EntryLinker::keepLinked(const QStringList &entries, const QStringList &failures)
{
    QList<Record> records;
    qint64 seconds = 0;
    if (!entries.isEmpty() && readRecords(entries, records)) {
        for (const Record &record : records) {
            seconds += recordSeconds(record);
        }
    }
    // The linked view takes the entries out right after asking for the unlink: the reload after that
    // puts back what the database still holds as linked.
    reloadViewsLater();
    QTimer::singleShot(0, this, [this, seconds, failures] {
        MessageBox::warning(parent(), QStringLiteral("Unlink failed"),
                            QStringLiteral("%1 of the selected time is still linked with Tavro, because %2.\n\n"
                                           "These entries stay linked; try to unlink them again later.")
                                .arg(formatDuration(seconds), failures.join(QStringLiteral(", and "))));
    });
}
