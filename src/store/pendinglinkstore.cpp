#include "pendinglinkstore.h"

#include "timetext.h"

#include <QDebug>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

QString idList(const QStringList &ids)
{
    return ids.join(QLatin1Char(','));
}

QVariant idOrNull(const QString &id)
{
    bool ok = false;
    const qint64 number = id.toLongLong(&ok);
    return ok && number > 0 ? QVariant(number) : QVariant(QMetaType::fromType<qint64>());
}

QVariant nameOrNull(const QString &name)
{
    return name.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(name);
}

bool run(QSqlQuery &query, QString *error = nullptr)
{
    if (query.exec()) {
        return true;
    }
    qDebug() << "db error: " << query.lastError().databaseText();
    if (error) {
        *error = query.lastError().databaseText();
    }
    return false;
}

bool run(const QString &sql, QString *error = nullptr)
{
    QSqlQuery query;
    query.prepare(sql);
    return run(query, error);
}

// Runs `steps` in one transaction; rolls back when one of them fails.
template <typename Steps> bool transaction(Steps steps, QString *error = nullptr)
{
    QSqlDatabase db = QSqlDatabase::database();
    if (!db.transaction()) {
        if (error) {
            *error = db.lastError().databaseText();
        }
        return false;
    }
    if (!steps() || !db.commit()) {
        if (error && error->isEmpty()) {
            *error = db.lastError().databaseText();
        }
        db.rollback();
        return false;
    }
    return true;
}

const QString ClearLinks = QStringLiteral(
    "UPDATE entries SET ext_entry_id = NULL , ext_task_id = NULL , ext_tasklist_id = NULL , ext_project_id = NULL , "
    "ext_task_name = NULL , ext_tasklist_name = NULL , ext_project_name = NULL WHERE id IN ( ");

} // namespace

const QStringList &PendingLinkStore::schemaStatements()
{
    static const QStringList statements{
        QStringLiteral("CREATE TABLE IF NOT EXISTS `pending_links`( `entry_id` INTEGER PRIMARY KEY, `task_id` INTEGER "
                       "NOT NULL, `day` VARCHAR(10) NOT NULL, `seconds` INTEGER NOT NULL, `requested` DATETIME NOT "
                       "NULL )"),
    };
    return statements;
}

bool PendingLinkStore::markPending(const QStringList &ids, const Target &target, const QDate &day, qint64 seconds,
                                   QString *error)
{
    return transaction(
        [&] {
            QSqlQuery link;
            link.prepare(QStringLiteral("UPDATE entries SET ext_task_id = :task_id, ext_entry_id = NULL, "
                                        "ext_project_id = :project_id, ext_tasklist_id = :tasklist_id, "
                                        "ext_task_name = :task_name , ext_project_name = :project_name , "
                                        "ext_tasklist_name = :tasklist_name  WHERE ext_task_id IS NULL AND id IN (") +
                         idList(ids) + QStringLiteral(")"));
            link.bindValue(QStringLiteral(":task_id"), target.taskId.toLongLong());
            link.bindValue(QStringLiteral(":project_id"), idOrNull(target.projectId));
            link.bindValue(QStringLiteral(":tasklist_id"), idOrNull(target.tasklistId));
            link.bindValue(QStringLiteral(":task_name"), nameOrNull(target.taskName));
            link.bindValue(QStringLiteral(":project_name"), nameOrNull(target.projectName));
            link.bindValue(QStringLiteral(":tasklist_name"), nameOrNull(target.tasklistName));
            if (!run(link, error)) {
                return false;
            }
            if (link.numRowsAffected() != ids.size()) {
                if (error) {
                    *error = QStringLiteral("some of the entries are linked already or gone");
                }
                return false;
            }
            QSqlQuery pending;
            pending.prepare(QStringLiteral("INSERT INTO pending_links (entry_id, task_id, day, seconds, requested) "
                                           "VALUES (:entry_id, :task_id, :day, :seconds, :requested)"));
            const QString requested = TimeText::formatDateTime(QDateTime::currentDateTime());
            for (const QString &id : ids) {
                pending.bindValue(QStringLiteral(":entry_id"), id.toLongLong());
                pending.bindValue(QStringLiteral(":task_id"), target.taskId.toLongLong());
                pending.bindValue(QStringLiteral(":day"), TimeText::formatDate(day));
                pending.bindValue(QStringLiteral(":seconds"), seconds);
                pending.bindValue(QStringLiteral(":requested"), requested);
                if (!run(pending, error)) {
                    return false;
                }
            }
            return true;
        },
        error);
}

bool PendingLinkStore::confirm(const QStringList &ids, qint64 extEntryId)
{
    return transaction([&] {
        QSqlQuery query;
        query.prepare(QStringLiteral("UPDATE entries SET ext_entry_id = :entry_id WHERE id IN (") + idList(ids) +
                      QStringLiteral(")"));
        query.bindValue(QStringLiteral(":entry_id"), extEntryId);
        return run(query) &&
               run(QStringLiteral("DELETE FROM pending_links WHERE entry_id IN (") + idList(ids) + QStringLiteral(")"));
    });
}

bool PendingLinkStore::clearLinks(const QStringList &ids)
{
    if (ids.isEmpty()) {
        return true;
    }
    return transaction([&] {
        return run(ClearLinks + idList(ids) + QStringLiteral(") ")) &&
               run(QStringLiteral("DELETE FROM pending_links WHERE entry_id IN (") + idList(ids) + QStringLiteral(")"));
    });
}

bool PendingLinkStore::acceptAsBooked(const QStringList &ids)
{
    return ids.isEmpty() ||
           run(QStringLiteral("DELETE FROM pending_links WHERE entry_id IN (") + idList(ids) + QStringLiteral(")"));
}

QList<PendingBooking> PendingLinkStore::pendingBookings(const QStringList &ids)
{
    // The entries of one request share their task, day, seconds and moment.
    const QString among =
        ids.isEmpty() ? QString()
                      : QStringLiteral("WHERE (p.task_id, p.day, p.seconds, p.requested) IN (SELECT task_id, day, "
                                       "seconds, requested FROM pending_links WHERE entry_id IN (") +
                            idList(ids) + QStringLiteral(")) ");
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT p.task_id, p.day, p.seconds, p.requested, p.entry_id, e.ext_task_name FROM "
                                 "pending_links p LEFT JOIN entries e ON e.id = p.entry_id ") +
                  among + QStringLiteral("ORDER BY p.requested, p.task_id, p.day, p.seconds, p.entry_id"));
    QList<PendingBooking> bookings;
    if (!run(query)) {
        return bookings;
    }
    while (query.next()) {
        const QString taskId = query.value(0).toString();
        const QDate day = parseDate(query.value(1).toString());
        const qint64 seconds = query.value(2).toLongLong();
        const QDateTime requested = parseDateTime(query.value(3).toString());
        if (bookings.isEmpty() || bookings.last().taskId != taskId || bookings.last().day != day ||
            bookings.last().seconds != seconds || bookings.last().requested != requested) {
            bookings.append(PendingBooking{taskId, query.value(5).toString(), day, seconds, requested, {}});
        }
        bookings.last().entryIds << query.value(4).toString();
    }
    return bookings;
}

QStringList PendingLinkStore::pendingAmong(const QStringList &ids)
{
    QStringList pending;
    if (ids.isEmpty()) {
        return pending;
    }
    QSqlQuery query;
    query.prepare(QStringLiteral("SELECT entry_id FROM pending_links WHERE entry_id IN (") + idList(ids) +
                  QStringLiteral(") ORDER BY entry_id"));
    if (run(query)) {
        while (query.next()) {
            pending << query.value(0).toString();
        }
    }
    return pending;
}

bool PendingLinkStore::isWritable(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database();
    if (!db.transaction()) {
        if (error) {
            *error = db.lastError().databaseText();
        }
        return false;
    }
    // Deletes nothing, but needs the write lock: a read-only file refuses it.
    const bool writable = run(QStringLiteral("DELETE FROM pending_links WHERE 0"), error);
    db.rollback();
    return writable;
}
