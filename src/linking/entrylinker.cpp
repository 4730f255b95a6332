#include "entrylinker.h"

#include "apireply.h"
#include "appicon.h"
#include "messagebox.h"
#include "servicecall.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"
#include "windowinfo.h"

#include <QDebug>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
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

// Runs a statement over the entries of an id list (validated decimal ids, so they may stand in the text).
bool execOnEntries(QSqlQuery &query, const QString &head, const QStringList &entries, const QString &tail)
{
    if (!query.exec(head + entries.join(QLatin1Char(',')) + tail)) {
        qDebug() << "db error: " << query.lastError().databaseText();
        return false;
    }
    return true;
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
    records.clear();
    QSqlQuery query;
    if (!execOnEntries(query,
                       QStringLiteral("SELECT entries.id, entries.title, entries.application_id, entries.start_time, "
                                      "entries.end_time, entries.ext_task_id, applications.path AS app_path, "
                                      "applications.name AS app_name FROM entries, applications WHERE "
                                      "entries.application_id = applications.id AND entries.id IN ("),
                       entries, QStringLiteral(") ORDER BY entries.id"))) {
        return false;
    }
    while (query.next()) {
        Record record;
        for (const char *key :
             {"id", "title", "application_id", "start_time", "end_time", "ext_task_id", "app_path", "app_name"}) {
            record.insert(QLatin1String(key), query.value(QLatin1String(key)).toString());
        }
        records.append(record);
    }
    return true;
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
    QSqlQuery query;
    query.prepare(QStringLiteral("UPDATE entries SET ext_task_id = :task_id, ext_entry_id = :entry_id, "
                                 "ext_project_id = :project_id, ext_tasklist_id = :tasklist_id, "
                                 "ext_task_name = :task_name , ext_project_name = :project_name , "
                                 "ext_tasklist_name = :tasklist_name  WHERE id IN (") +
                  entries.join(QLatin1Char(',')) + QStringLiteral(")"));
    query.bindValue(QStringLiteral(":task_id"), taskId.toLongLong());
    query.bindValue(QStringLiteral(":entry_id"), idOrNull(extEntryId));
    query.bindValue(QStringLiteral(":project_id"), idOrNull(projectId));
    query.bindValue(QStringLiteral(":tasklist_id"), idOrNull(tasklistId));
    query.bindValue(QStringLiteral(":task_name"), nameOrNull(mapValue("mapTaskNames", taskId)));
    query.bindValue(QStringLiteral(":project_name"), nameOrNull(mapValue("mapProjectNames", projectId)));
    query.bindValue(QStringLiteral(":tasklist_name"), nameOrNull(mapValue("mapTasklistNames", tasklistId)));
    if (!query.exec()) {
        qDebug() << "db error: " << query.lastError().databaseText();
        qDebug() << "driver error: " << query.lastError().driverText();
        return false;
    }
    qDebug() << "db update successful for entries " << entries.join(QLatin1Char(','));
    addToLinkedModel(groups, records, taskId);
    return true;
}

bool EntryLinker::readGroups(const QStringList &entries, QList<Group> &groups)
{
    groups.clear();
    QSqlQuery query;
    if (!execOnEntries(query, QStringLiteral("SELECT application_id, title FROM entries WHERE id IN ("), entries,
                       QStringLiteral(") GROUP BY application_id, title "))) {
        return false;
    }
    while (query.next()) {
        groups.append({query.value(0).toString(), query.value(1).toString()});
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
    QSqlQuery query;
    if (!execOnEntries(query,
                       QStringLiteral("SELECT SUM( strftime( '%s', entries.end_time ) - strftime( '%s', "
                                      "entries.start_time ) ) AS duration, ext_entry_id, group_concat(id) AS ids "
                                      "FROM entries WHERE id IN ("),
                       entries, QStringLiteral(") GROUP BY ext_entry_id "))) {
        return false;
    }
    while (query.next()) {
        RemoteGroup &group = groups[query.value(QStringLiteral("ext_entry_id")).toLongLong()];
        group.seconds += query.value(QStringLiteral("duration")).toLongLong();
        group.ids += query.value(QStringLiteral("ids")).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
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
    QSqlQuery query;
    return execOnEntries(query,
                         QStringLiteral("UPDATE entries SET ext_entry_id = NULL , ext_task_id = NULL , ext_tasklist_id "
                                        "= NULL , ext_project_id = NULL , ext_task_name = NULL , ext_tasklist_name = "
                                        "NULL , ext_project_name = NULL WHERE id IN ( "),
                         entries, QStringLiteral(") "));
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
        QSqlQuery query;
        query.prepare(QStringLiteral("SELECT applications.path AS app_path, applications.name AS app_name, entries.* "
                                     "FROM applications, entries WHERE applications.id = entries.application_id "
                                     "\tAND entries.id = :id"));
        query.bindValue(QStringLiteral(":id"), id.toLongLong());
        if (query.exec()) {
            while (query.next()) {
                WindowInfo info;
                info.path = query.value(QStringLiteral("app_path")).toString();
                info.name = query.value(QStringLiteral("app_name")).toString();
                info.title = query.value(QStringLiteral("title")).toString();
                info.icon = AppIcon::forPath(info.path);
                m_unlinkedModel->addEntry(parseDateTime(query.value(QStringLiteral("start_time")).toString()),
                                          parseDateTime(query.value(QStringLiteral("end_time")).toString()), info,
                                          query.value(QStringLiteral("application_id")).toLongLong(), id.toLongLong());
            }
        } else {
            qDebug() << "db error: " << query.lastError().databaseText();
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
