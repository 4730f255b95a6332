#include "linkstore.h"

#include "recordmap.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

StoreResult execOnEntries(QSqlQuery &query, const QString &head, const QStringList &ids, const QString &tail)
{
    query.setForwardOnly(true);
    if (!query.exec(head + ids.join(QLatin1Char(',')) + tail)) {
        return StoreResult::failure(query.lastError().databaseText());
    }
    return StoreResult::success();
}

} // namespace

StoreResult LinkStore::readRecords(const QStringList &ids, QList<QMap<QString, QString>> *records)
{
    records->clear();
    QSqlQuery query;
    const StoreResult result =
        execOnEntries(query,
                      QStringLiteral("SELECT entries.id, entries.title, entries.application_id, entries.start_time, "
                                     "entries.end_time, entries.ext_task_id, applications.path AS app_path, "
                                     "applications.name AS app_name FROM entries, applications WHERE "
                                     "entries.application_id = applications.id AND entries.id IN ("),
                      ids, QStringLiteral(") ORDER BY entries.id"));
    if (!result.ok()) {
        return result;
    }
    static const char *const keys[] = {"id",       "title",       "application_id", "start_time",
                                       "end_time", "ext_task_id", "app_path",       "app_name"};
    while (query.next()) {
        QMap<QString, QString> record;
        for (int column = 0; column < 8; ++column) {
            record.insert(QLatin1String(keys[column]), query.value(column).toString());
        }
        records->append(record);
    }
    return result;
}

StoreResult LinkStore::readTitleGroups(const QStringList &ids, QList<QPair<QString, QString>> *groups)
{
    groups->clear();
    QSqlQuery query;
    const StoreResult result =
        execOnEntries(query, QStringLiteral("SELECT application_id, title FROM entries WHERE id IN ("), ids,
                      QStringLiteral(") GROUP BY application_id, title "));
    while (result.ok() && query.next()) {
        groups->append({query.value(0).toString(), query.value(1).toString()});
    }
    return result;
}

StoreResult LinkStore::readRemoteBookings(const QStringList &ids, QMap<qint64, RemoteBooking> *bookings)
{
    bookings->clear();
    QSqlQuery query;
    const StoreResult result =
        execOnEntries(query,
                      QStringLiteral("SELECT SUM( strftime( '%s', entries.end_time ) - strftime( '%s', "
                                     "entries.start_time ) ) AS duration, ext_entry_id, group_concat(id) AS ids "
                                     "FROM entries WHERE id IN ("),
                      ids, QStringLiteral(") GROUP BY ext_entry_id "));
    while (result.ok() && query.next()) {
        RemoteBooking &booking = (*bookings)[query.value(1).toLongLong()];
        booking.seconds += query.value(0).toLongLong();
        booking.ids += query.value(2).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    return result;
}

StoreResult LinkStore::markLinked(const QStringList &ids, const LinkTarget &target)
{
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("UPDATE entries SET ext_task_id = :task_id, ext_entry_id = :entry_id, "
                                      "ext_project_id = :project_id, ext_tasklist_id = :tasklist_id, "
                                      "ext_task_name = :task_name , ext_project_name = :project_name , "
                                      "ext_tasklist_name = :tasklist_name  WHERE id IN (") +
                       ids.join(QLatin1Char(',')) + QStringLiteral(")"))) {
        return StoreResult::failure(query.lastError().databaseText());
    }
    query.bindValue(QStringLiteral(":task_id"), target.taskId);
    query.bindValue(QStringLiteral(":entry_id"), target.entryId);
    query.bindValue(QStringLiteral(":project_id"), target.projectId);
    query.bindValue(QStringLiteral(":tasklist_id"), target.tasklistId);
    query.bindValue(QStringLiteral(":task_name"), target.taskName);
    query.bindValue(QStringLiteral(":project_name"), target.projectName);
    query.bindValue(QStringLiteral(":tasklist_name"), target.tasklistName);
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().databaseText() + QLatin1Char(' ') +
                                    query.lastError().driverText());
    }
    return StoreResult::success();
}

StoreResult LinkStore::clearLinks(const QStringList &ids)
{
    QSqlQuery query;
    return execOnEntries(query,
                         QStringLiteral("UPDATE entries SET ext_entry_id = NULL , ext_task_id = NULL , ext_tasklist_id "
                                        "= NULL , ext_project_id = NULL , ext_task_name = NULL , ext_tasklist_name = "
                                        "NULL , ext_project_name = NULL WHERE id IN ( "),
                         ids, QStringLiteral(") "));
}

StoreResult LinkStore::readEntry(qint64 id, QMap<QString, QVariant> *entry)
{
    entry->clear();
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("SELECT applications.path AS app_path, applications.name AS app_name, entries.* "
                                      "FROM applications, entries WHERE applications.id = entries.application_id "
                                      "\tAND entries.id = :id"))) {
        return StoreResult::failure(query.lastError().databaseText());
    }
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().databaseText());
    }
    if (query.next()) {
        *entry = recordMap(query.record());
    }
    return StoreResult::success();
}
