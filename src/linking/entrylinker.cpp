#include "entrylinker.h"

#include "apireply.h"
#include "appicon.h"
#include "linkstore.h"
#include "messagebox.h"
#include "servicecall.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

namespace {

// A name the statement binds as NULL when it is empty.
QVariant nameOrNull(const QString &name)
{
    return name.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(name);
}

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
    QList<Record> records;
    QList<Group> groups;
    if (!readRecords(entries, records) || !readGroups(entries, groups) || records.isEmpty()) {
        qDebug() << "no entries to link";
        return false;
    }

    qint64 duration = 0;
    for (const Record &record : records) {
        duration += recordSeconds(record);
    }
    const QDate date = parseDateTime(records.first().value(QStringLiteral("start_time"))).date();

    QDomDocument reply;
    if (!ServiceCall::post(QStringLiteral("tavro.entries.addBulk"),
                           {{QStringLiteral("date"), TimeText::formatDate(date)},
                            {QStringLiteral("duration"), QString::number(duration)},
                            {QStringLiteral("task_id"), taskId},
                            {QStringLiteral("description"), notes, true}},
                           reply)) {
        qDebug() << "FAILED: tavro.entries.addBulk";
        return false;
    }
    const QString extEntryId = ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("id"));
    qDebug() << "API add entry result: ext_entry_id = " << extEntryId << ", updated = "
             << ServiceCall::firstAttribute(reply, QStringLiteral("entry"), QStringLiteral("updated"));

    // The remote entry exists now: whatever the catalogue does not know is stored as NULL, so that the
    // rows are linked (by their task) in any case.
    const QString projectId = mapValue("mapTaskParentProjects", taskId);
    const QString tasklistId = mapValue("mapTaskParentTasklists", taskId);
    LinkTarget target;
    target.taskId = taskId.toLongLong();
    target.entryId = idOrNull(extEntryId);
    target.projectId = idOrNull(projectId);
    target.tasklistId = idOrNull(tasklistId);
    target.taskName = nameOrNull(mapValue("mapTaskNames", taskId));
    target.projectName = nameOrNull(mapValue("mapProjectNames", projectId));
    target.tasklistName = nameOrNull(mapValue("mapTasklistNames", tasklistId));
    const StoreResult marked = LinkStore::markLinked(entries, target);
    if (!marked.ok()) {
        qDebug() << "db error: " << marked.error();
        return false;
    }
    qDebug() << "db update successful for entries " << entries.join(QLatin1Char(','));
    addToLinkedModel(groups, records, taskId);
    return true;
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
    if (entries.isEmpty()) {
        return true;
    }
    if (!validIds(entries)) {
        return false;
    }
    const StoreResult cleared = LinkStore::clearLinks(entries);
    if (!cleared.ok()) {
        qDebug() << "db error: " << cleared.error();
    }
    return cleared.ok();
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
    QMap<qint64, RemoteGroup> groups;
    if (readRemoteGroups(entries, groups)) {
        Q_EMIT progressStarted(0, 2 * int(groups.size()));
        int step = 0;
        for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
            QString failure;
            // Entries without a remote entry have nothing to take back on the service.
            if (it.key() == 0 || unbook(it.key(), it->seconds, failure)) {
                if (clearEntryLinks(it->ids)) {
                    unlinked.unite(QSet<QString>(it->ids.cbegin(), it->ids.cend()));
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
    if (!failures.isEmpty()) {
        keepLinked(keptLinked, failures);
    }
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
    // The linked view takes the entries out right after asking for the unlink: put them back after that.
    QTimer::singleShot(0, this, [this, entries, failures] {
        QList<Record> records;
        QList<Group> groups;
        qint64 seconds = 0;
        if (!entries.isEmpty() && readRecords(entries, records) && readGroups(entries, groups)) {
            for (const Record &record : records) {
                seconds += recordSeconds(record);
            }
            addToLinkedModel(groups, records, QString());
        }
        MessageBox::warning(parent(), QStringLiteral("Unlink failed"),
                            QStringLiteral("%1 of the selected time is still linked with Tavro, because %2.\n\n"
                                           "These entries stay linked; try to unlink them again later.")
                                .arg(formatDuration(seconds), failures.join(QStringLiteral(", and "))));
    });
}
