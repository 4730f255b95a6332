#include "exportreader.h"

#include "entrystore.h"
#include "entrytime.h"
#include "logging.h"
#include "windowinfo.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace {
QVariant idOrNull(const QVariant &value)
{
    return value.isNull() ? QVariant() : QVariant(value.toLongLong());
}
} // namespace

QList<ExportRecord> ExportReader::read(const QDate &from, const QDate &to, bool *ok)
{
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT entries.id, entries.title, entries.start_time, entries.end_time, applications.name, "
        "applications.path, entries.ext_task_id, entries.ext_task_name, entries.ext_tasklist_id, "
        "entries.ext_tasklist_name, entries.ext_project_id, entries.ext_project_name, entries.ext_entry_id "
        "FROM entries JOIN applications ON applications.id = entries.application_id "
        "WHERE entries.start_time >= :from AND entries.start_time <= :to ORDER BY entries.start_time, entries.id"));
    query.bindValue(QStringLiteral(":from"), EntryStore::dayStart(from));
    query.bindValue(QStringLiteral(":to"), EntryStore::dayEnd(to));
    QList<ExportRecord> records;
    const bool done = query.exec();
    if (ok) {
        *ok = done;
    }
    if (!done) {
        qCDebug(lcStore) << "export query error: " << query.lastError().text();
        return records;
    }
    EntryTime time;
    while (query.next()) {
        ExportRecord record;
        record.id = query.value(0).toLongLong();
        record.title = query.value(1).toString();
        record.start = time.startDateTime(record.id, query.value(2).toString());
        record.end = time.endDateTime(record.id, query.value(3).toString());
        // The day the entry belongs to is the one its stored start names.
        record.date = record.start.date();
        record.seconds = EntryTime::seconds(record.start, record.end);
        record.appName = query.value(4).toString();
        record.appPath = query.value(5).toString();
        record.away = record.appPath == QLatin1String(AwayApp::Path);
        record.taskId = idOrNull(query.value(6));
        record.taskName = query.value(7).toString();
        record.tasklistId = idOrNull(query.value(8));
        record.tasklistName = query.value(9).toString();
        record.projectId = idOrNull(query.value(10));
        record.projectName = query.value(11).toString();
        record.remoteEntryId = idOrNull(query.value(12));
        records.append(std::move(record));
    }
    // A damaged page ends the rows early with an error, not with the end of the result.
    if (query.lastError().isValid()) {
        qCDebug(lcStore) << "export read error: " << query.lastError().text();
        if (ok) {
            *ok = false;
        }
        return {};
    }
    return records;
}
