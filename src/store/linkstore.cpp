#include "linkstore.h"

#include "entrytime.h"
#include "timetext.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Every id list is bound as one JSON array and read back with json_each: no id is ever spliced
// into a statement.
const QString InIds = QStringLiteral("(SELECT value FROM json_each(:ids))");

QVariant idOrNull(qint64 id)
{
    return id > 0 ? QVariant(id) : QVariant(QMetaType::fromType<qint64>());
}

QVariant nameOrNull(const QString &name)
{
    return name.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(name);
}

StoreResult run(QSqlQuery &query)
{
    if (query.exec()) {
        return StoreResult::success();
    }
    qDebug() << "db error: " << query.lastError().databaseText();
    return StoreResult::failure(query.lastError().databaseText());
}

StoreResult runOnIds(const QString &sql, const EntryIds &ids)
{
    QSqlQuery query;
    if (!query.prepare(sql)) {
        return StoreResult::failure(query.lastError().databaseText());
    }
    query.bindValue(QStringLiteral(":ids"), LinkStore::idArray(ids));
    return run(query);
}

// Runs `steps` in one transaction; rolls back when one of them fails.
template <typename Steps> StoreResult transaction(Steps steps)
{
    QSqlDatabase db = QSqlDatabase::database();
    if (!db.transaction()) {
        return StoreResult::failure(db.lastError().databaseText());
    }
    StoreResult result = steps();
    if (result.ok() && !db.commit()) {
        result = StoreResult::failure(db.lastError().databaseText());
    }
    if (!result.ok()) {
        db.rollback();
    }
    return result;
}

const QString ClearLinks = QStringLiteral(
    "UPDATE entries SET ext_entry_id = NULL , ext_task_id = NULL , ext_tasklist_id = NULL , ext_project_id = NULL , "
    "ext_task_name = NULL , ext_tasklist_name = NULL , ext_project_name = NULL WHERE id IN ");

StoreResult forgetMarks(const EntryIds &ids)
{
    StoreResult result = runOnIds(QStringLiteral("DELETE FROM pending_links WHERE entry_id IN ") + InIds, ids);
    return result.ok() ? runOnIds(QStringLiteral("DELETE FROM pending_unlinks WHERE entry_id IN ") + InIds, ids)
                       : result;
}

QString nowText()
{
    return TimeText::formatDateTime(QDateTime::currentDateTime());
}

EntryIds readIds(const QString &text)
{
    EntryIds ids;
    for (const QString &id : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        ids << id.toLongLong();
    }
    return ids;
}

} // namespace

QString LinkStore::idArray(const EntryIds &ids)
{
    QStringList numbers;
    numbers.reserve(ids.size());
    for (qint64 id : ids) {
        numbers << QString::number(id);
    }
    return QLatin1Char('[') + numbers.join(QLatin1Char(',')) + QLatin1Char(']');
}

const QStringList &LinkStore::schemaStatements()
{
    static const QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS `pending_links`( `entry_id` INTEGER PRIMARY KEY, `task_id` INTEGER "
                       "NOT NULL, `day` VARCHAR(10) NOT NULL, `seconds` INTEGER NOT NULL, `requested` DATETIME NOT "
                       "NULL )"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS `pending_unlinks`( `entry_id` INTEGER PRIMARY KEY, `ext_entry_id` "
                       "INTEGER NOT NULL, `seconds` INTEGER NOT NULL, `old_end` DATETIME NOT NULL, `new_end` "
                       "DATETIME, `requested` DATETIME NOT NULL )"),
    };
    return statements;
}

StoreResult LinkStore::readEntries(const EntryIds &ids, QList<LinkedEntry> *entries)
{
    entries->clear();
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT entries.id, entries.application_id, entries.title, entries.start_time, "
                                 "entries.end_time, entries.ext_task_id, entries.ext_entry_id, applications.path, "
                                 "applications.name FROM entries JOIN applications ON applications.id = "
                                 "entries.application_id WHERE entries.id IN ") +
                  InIds + QStringLiteral(" ORDER BY entries.id"));
    query.bindValue(QStringLiteral(":ids"), idArray(ids));
    const StoreResult result = run(query);
    EntryTime time;
    while (result.ok() && query.next()) {
        LinkedEntry entry;
        entry.id = query.value(0).toLongLong();
        entry.applicationId = query.value(1).toLongLong();
        entry.title = query.value(2).toString();
        const QString start = query.value(3).toString();
        entry.day = EntryTime::day(start);
        entry.seconds = time.seconds(entry.id, start, query.value(4).toString());
        entry.taskId = query.value(5).toLongLong();
        entry.remoteEntryId = query.value(6).toLongLong();
        entry.appPath = query.value(7).toString();
        entry.appName = query.value(8).toString();
        entries->append(std::move(entry));
    }
    return result;
}

StoreResult LinkStore::readRemoteBookings(const EntryIds &ids, QMap<qint64, RemoteBooking> *bookings)
{
    bookings->clear();
    QList<LinkedEntry> entries;
    const StoreResult result = readEntries(ids, &entries);
    for (const LinkedEntry &entry : std::as_const(entries)) {
        if (entry.taskId == 0) {
            continue;
        }
        RemoteBooking &booking = (*bookings)[entry.remoteEntryId];
        booking.seconds += entry.seconds;
        booking.ids << entry.id;
    }
    return result;
}

StoreResult LinkStore::readBookedSeconds(qint64 remoteEntryId, qint64 *seconds)
{
    QMap<qint64, qint64> ledger;
    const StoreResult result = readLedger(&ledger, remoteEntryId);
    *seconds = ledger.value(remoteEntryId);
    return result;
}

StoreResult LinkStore::readLedger(QMap<qint64, qint64> *seconds)
{
    return readLedger(seconds, 0);
}

StoreResult LinkStore::readLedger(QMap<qint64, qint64> *seconds, qint64 onlyRemoteEntryId)
{
    seconds->clear();
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, start_time, end_time, ext_entry_id FROM entries WHERE ext_entry_id IS "
                                 "NOT NULL AND ext_task_id IS NOT NULL") +
                  (onlyRemoteEntryId ? QStringLiteral(" AND ext_entry_id = :remote") : QString()));
    if (onlyRemoteEntryId) {
        query.bindValue(QStringLiteral(":remote"), onlyRemoteEntryId);
    }
    const StoreResult result = run(query);
    EntryTime time;
    while (result.ok() && query.next()) {
        (*seconds)[query.value(3).toLongLong()] +=
            time.seconds(query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString());
    }
    return result;
}

StoreResult LinkStore::markPending(const EntryIds &ids, const LinkTarget &target, const QDate &day, qint64 seconds)
{
    return transaction([&] {
        QSqlQuery link;
        link.prepare(QStringLiteral("UPDATE entries SET ext_task_id = :task_id, ext_entry_id = NULL, ext_project_id = "
                                    ":project_id, ext_tasklist_id = :tasklist_id, ext_task_name = :task_name , "
                                    "ext_project_name = :project_name , ext_tasklist_name = :tasklist_name  WHERE "
                                    "ext_task_id IS NULL AND id IN ") +
                     InIds);
        link.bindValue(QStringLiteral(":task_id"), target.taskId);
        link.bindValue(QStringLiteral(":project_id"), idOrNull(target.projectId));
        link.bindValue(QStringLiteral(":tasklist_id"), idOrNull(target.tasklistId));
        link.bindValue(QStringLiteral(":task_name"), nameOrNull(target.taskName));
        link.bindValue(QStringLiteral(":project_name"), nameOrNull(target.projectName));
        link.bindValue(QStringLiteral(":tasklist_name"), nameOrNull(target.tasklistName));
        link.bindValue(QStringLiteral(":ids"), idArray(ids));
        StoreResult result = run(link);
        if (!result.ok()) {
            return result;
        }
        if (link.numRowsAffected() != ids.size()) {
            return StoreResult::failure(QStringLiteral("some of the entries are linked already or gone"));
        }
        QSqlQuery pending;
        pending.prepare(QStringLiteral("INSERT INTO pending_links (entry_id, task_id, day, seconds, requested) "
                                       "SELECT value, :task_id, :day, :seconds, :requested FROM json_each(:ids)"));
        pending.bindValue(QStringLiteral(":task_id"), target.taskId);
        pending.bindValue(QStringLiteral(":day"), TimeText::formatDate(day));
        pending.bindValue(QStringLiteral(":seconds"), seconds);
        pending.bindValue(QStringLiteral(":requested"), nowText());
        pending.bindValue(QStringLiteral(":ids"), idArray(ids));
        return run(pending);
    });
}

StoreResult LinkStore::confirm(const EntryIds &ids, qint64 remoteEntryId)
{
    return transaction([&] {
        QSqlQuery query;
        query.prepare(QStringLiteral("UPDATE entries SET ext_entry_id = :entry_id WHERE id IN ") + InIds);
        query.bindValue(QStringLiteral(":entry_id"), remoteEntryId);
        query.bindValue(QStringLiteral(":ids"), idArray(ids));
        const StoreResult result = run(query);
        return result.ok() ? forgetMarks(ids) : result;
    });
}

StoreResult LinkStore::clearLinks(const EntryIds &ids)
{
    if (ids.isEmpty()) {
        return StoreResult::success();
    }
    return transaction([&] {
        const StoreResult result = runOnIds(ClearLinks + InIds, ids);
        return result.ok() ? forgetMarks(ids) : result;
    });
}

StoreResult LinkStore::acceptAsBooked(const EntryIds &ids)
{
    return runOnIds(QStringLiteral("DELETE FROM pending_links WHERE entry_id IN ") + InIds, ids);
}

StoreResult LinkStore::markUnbooking(const EntryIds &ids, qint64 remoteEntryId, qint64 seconds, const QDateTime &oldEnd,
                                     const QDateTime &newEnd)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO pending_unlinks (entry_id, ext_entry_id, seconds, old_end, new_end, "
                                 "requested) SELECT value, :remote, :seconds, :old_end, :new_end, :requested FROM "
                                 "json_each(:ids)"));
    query.bindValue(QStringLiteral(":remote"), remoteEntryId);
    query.bindValue(QStringLiteral(":seconds"), seconds);
    query.bindValue(QStringLiteral(":old_end"), TimeText::formatDateTime(oldEnd));
    query.bindValue(QStringLiteral(":new_end"), newEnd.isValid() ? QVariant(TimeText::formatDateTime(newEnd))
                                                                 : QVariant(QMetaType::fromType<QString>()));
    query.bindValue(QStringLiteral(":requested"), nowText());
    query.bindValue(QStringLiteral(":ids"), idArray(ids));
    return transaction([&] { return run(query); });
}

StoreResult LinkStore::forgetUnbooking(const EntryIds &ids)
{
    return runOnIds(QStringLiteral("DELETE FROM pending_unlinks WHERE entry_id IN ") + InIds, ids);
}

QList<PendingBooking> LinkStore::pendingBookings(const EntryIds &ids)
{
    // The entries of one request share their task, day, seconds and moment.
    const QString among = ids.isEmpty() ? QString()
                                        : QStringLiteral("WHERE (p.task_id, p.day, p.seconds, p.requested) IN (SELECT "
                                                         "task_id, day, seconds, requested FROM pending_links WHERE "
                                                         "entry_id IN ") +
                                              InIds + QStringLiteral(") ");
    QSqlQuery query;
    query.prepare(
        QStringLiteral("SELECT p.task_id, p.day, p.seconds, p.requested, group_concat(p.entry_id), "
                       "max(e.ext_task_name) FROM pending_links p LEFT JOIN entries e ON e.id = p.entry_id ") +
        among +
        QStringLiteral("GROUP BY p.task_id, p.day, p.seconds, p.requested ORDER BY p.requested, p.task_id, "
                       "p.day, p.seconds"));
    if (!ids.isEmpty()) {
        query.bindValue(QStringLiteral(":ids"), idArray(ids));
    }
    QList<PendingBooking> bookings;
    if (!run(query).ok()) {
        return bookings;
    }
    while (query.next()) {
        bookings.append(PendingBooking{query.value(0).toLongLong(), query.value(5).toString(),
                                       parseDate(query.value(1).toString()), query.value(2).toLongLong(),
                                       parseDateTime(query.value(3).toString()), readIds(query.value(4).toString())});
    }
    return bookings;
}

QList<PendingUnbooking> LinkStore::pendingUnbookings(const EntryIds &ids)
{
    const QString among =
        ids.isEmpty() ? QString()
                      : QStringLiteral("WHERE ext_entry_id IN (SELECT ext_entry_id FROM pending_unlinks WHERE entry_id "
                                       "IN ") +
                            InIds + QStringLiteral(") ");
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT ext_entry_id, old_end, new_end, seconds, requested, group_concat(entry_id) "
                                 "FROM pending_unlinks ") +
                  among + QStringLiteral("GROUP BY ext_entry_id, requested ORDER BY requested, ext_entry_id"));
    if (!ids.isEmpty()) {
        query.bindValue(QStringLiteral(":ids"), idArray(ids));
    }
    QList<PendingUnbooking> unbookings;
    if (!run(query).ok()) {
        return unbookings;
    }
    while (query.next()) {
        unbookings.append(PendingUnbooking{query.value(0).toLongLong(), parseDateTime(query.value(1).toString()),
                                           parseDateTime(query.value(2).toString()), query.value(3).toLongLong(),
                                           parseDateTime(query.value(4).toString()),
                                           readIds(query.value(5).toString())});
    }
    return unbookings;
}

EntryIds LinkStore::unconfirmedAmong(const EntryIds &ids)
{
    EntryIds found;
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT entry_id FROM pending_links WHERE entry_id IN ") + InIds +
                  QStringLiteral(" UNION SELECT entry_id FROM pending_unlinks WHERE entry_id IN (SELECT value FROM "
                                 "json_each(:again)) ORDER BY 1"));
    query.bindValue(QStringLiteral(":ids"), idArray(ids));
    query.bindValue(QStringLiteral(":again"), idArray(ids));
    if (run(query).ok()) {
        while (query.next()) {
            found << query.value(0).toLongLong();
        }
    }
    return found;
}

EntryIds LinkStore::unconfirmed()
{
    EntryIds found;
    QSqlQuery query;
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT entry_id FROM pending_links UNION SELECT entry_id FROM pending_unlinks"))) {
        while (query.next()) {
            found << query.value(0).toLongLong();
        }
    }
    return found;
}

bool LinkStore::isWritable(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database();
    if (!db.transaction()) {
        if (error) {
            *error = db.lastError().databaseText();
        }
        return false;
    }
    // Deletes nothing, but needs the write lock: a read-only file refuses it.
    QSqlQuery probe;
    const bool writable = probe.exec(QStringLiteral("DELETE FROM pending_links WHERE 0"));
    if (!writable && error) {
        *error = probe.lastError().databaseText();
    }
    db.rollback();
    return writable;
}
