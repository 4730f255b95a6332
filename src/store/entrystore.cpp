#include "entrystore.h"

#include "dayentrycursor.h"
#include "logging.h"
#include "sqlitestatement.h"

#include "searchterms.h"
#include "stampparser.h"
#include "timetext.h"

#include <QDebug>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

namespace {

QString sqlLiteral(const QString &fieldName, const QString &value)
{
    QSqlField field(fieldName, QMetaType(QMetaType::QString));
    field.setValue(value);
    return QSqlDatabase::database().driver()->formatValue(field, false);
}

QString dayLinkClause(EntryStore::Link link)
{
    return link == EntryStore::Link::Unlinked ? QStringLiteral("AND entries.ext_task_id IS NULL ")
                                              : QStringLiteral("AND entries.ext_task_id NOT NULL ");
}

// Id lists are spliced into statements, so they must hold decimal ids and nothing else.
bool isIdList(const QStringList &ids)
{
    for (const QString &id : ids) {
        bool ok = false;
        id.toLongLong(&ok);
        if (!ok || id.trimmed() != id) {
            return false;
        }
    }
    return !ids.isEmpty();
}

// Only the columns every row needs: SQLite decodes every column a statement names, row by row.
QString dayColumns(EntryStore::Link link)
{
    return link == EntryStore::Link::Unlinked
               ? QStringLiteral("id, title, application_id, start_time, end_time, ext_entry_id")
               : QStringLiteral("id, title, application_id, start_time, end_time, ext_entry_id, ext_task_id, "
                                "ext_tasklist_id, ext_project_id");
}

} // namespace

QDateTime EntryStore::latestEnd()
{
    QSqlQuery query;
    if (!query.exec(QStringLiteral("SELECT max(end_time) FROM entries")) || !query.next()) {
        return {};
    }
    return QDateTime::fromString(query.value(0).toString(), QLatin1String(TimeText::DateTimeFormat));
}

QString EntryStore::dayStart(const QDate &day)
{
    return TimeText::formatDateTime(QDateTime(day, QTime(0, 0, 0)));
}

QString EntryStore::dayEnd(const QDate &day)
{
    return TimeText::formatDateTime(QDateTime(day, QTime(23, 59, 59)));
}

QString EntryStore::filterClause(const EntryFilter &filter)
{
    QString clause;
    for (const QString &term : filter.terms()) {
        const QString literal = sqlLiteral(QStringLiteral("title"), QLatin1Char('%') + term + QLatin1Char('%'));
        // The matching applications are a subquery SQLite runs once, so no statement needs to join them.
        clause += QStringLiteral("AND ( entries.title LIKE ") + literal +
                  QStringLiteral(" OR entries.application_id IN ( SELECT id FROM applications WHERE name LIKE ") +
                  literal + QStringLiteral(")");
        QStringList shown;
        for (const qint64 id : filter.shownNameMatches.value(term)) {
            shown << QString::number(id);
        }
        if (!shown.isEmpty()) {
            clause +=
                QStringLiteral(" OR entries.application_id IN (") + shown.join(QLatin1Char(',')) + QLatin1Char(')');
        }
        clause += QStringLiteral(" ) ");
    }
    return clause;
}

QString EntryStore::dayQuery(Link link, const EntryFilter &filter)
{
    return QStringLiteral("SELECT ") + dayColumns(link) +
           QStringLiteral(" FROM entries WHERE entries.start_time >= :day_start AND entries.start_time <= :day_end ") +
           dayLinkClause(link) + filterClause(filter);
}

QString EntryStore::entryQuery(Link link)
{
    return QStringLiteral("SELECT ") + dayColumns(link) + QStringLiteral(" FROM entries WHERE id = :id");
}

QList<EntryRow> EntryStore::dayEntries(const QDate &day, Link link, const EntryFilter &filter, int hideUnder, bool *ok)
{
    QList<EntryRow> rows;
    DayEntryCursor cursor(day, link, filter, hideUnder);
    while (cursor.next()) {
        EntryRow row;
        row.appPath = cursor.appPath();
        row.appName = cursor.appName();
        row.id = cursor.id();
        row.title = cursor.title();
        row.applicationId = cursor.applicationId();
        row.start = cursor.start();
        row.end = cursor.end();
        row.extEntryId = cursor.extEntryId();
        if (link == Link::Linked) {
            row.extTaskId = cursor.extTaskIdValue();
            row.extTasklistId = cursor.extTasklistIdValue();
            row.extProjectId = cursor.extProjectIdValue();
        }
        rows.append(std::move(row));
    }
    if (ok) {
        *ok = cursor.error().isEmpty();
    }
    return rows;
}

StoreResult EntryStore::insertEntry(const QString &title, const QDateTime &start, const QDateTime &end, qint64 appId,
                                    qint64 *id)
{
    *id = 0;
    // Only a stretch in the hour a clock change repeats needs its offsets kept, and then both rows
    // go in together.
    const auto offsets = EntryTime::offsetsToKeep(start, end);
    QSqlDatabase db = QSqlDatabase::database();
    if (offsets && !db.transaction()) {
        return StoreResult::failure(db.lastError().text());
    }
    const auto fail = [&](const QSqlQuery &query) {
        if (offsets) {
            db.rollback();
        }
        return StoreResult::failure(query.lastError().text());
    };
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("INSERT INTO entries (title, start_time, end_time, application_id) VALUES "
                                      "(:title, :start_time, :end_time, :app_id)"))) {
        return fail(query);
    }
    query.bindValue(QStringLiteral(":title"), title);
    query.bindValue(QStringLiteral(":start_time"), EntryTime::stamp(start));
    query.bindValue(QStringLiteral(":end_time"), EntryTime::stamp(end));
    query.bindValue(QStringLiteral(":app_id"), appId);
    if (!query.exec()) {
        return fail(query);
    }
    const qint64 newId = query.lastInsertId().toLongLong();
    if (offsets) {
        QSqlQuery kept;
        kept.prepare(QStringLiteral("INSERT INTO entry_offsets (entry_id, start_utc_offset, end_utc_offset) VALUES "
                                    "(:id, :start, :end)"));
        kept.bindValue(QStringLiteral(":id"), newId);
        kept.bindValue(QStringLiteral(":start"), offsets->first);
        kept.bindValue(QStringLiteral(":end"), offsets->second);
        if (!kept.exec()) {
            return fail(kept);
        }
        if (!db.commit()) {
            db.rollback();
            return StoreResult::failure(db.lastError().text());
        }
    }
    *id = newId;
    return StoreResult::success();
}

StoreResult EntryStore::updateEntriesTitle(const QStringList &ids, const QString &title)
{
    if (!isIdList(ids)) {
        return StoreResult::failure(QStringLiteral("not a list of entry ids"));
    }
    QSqlQuery query;
    query.prepare(QStringLiteral("UPDATE entries SET title = :title WHERE id IN (") + ids.join(QLatin1Char(',')) +
                  QLatin1Char(')'));
    query.bindValue(QStringLiteral(":title"), title);
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().text());
    }
    return StoreResult::success();
}

StoreResult EntryStore::deleteEntries(const QStringList &ids)
{
    if (!isIdList(ids)) {
        return StoreResult::failure(QStringLiteral("not a list of entry ids"));
    }
    qCDebug(lcStore) << "deleting db entries: " << ids;
    QSqlQuery query;
    query.prepare(QStringLiteral("DELETE FROM entries WHERE id IN (") + ids.join(QLatin1Char(',')) + QLatin1Char(')'));
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().text());
    }
    // Their kept offsets go with them; a left one would only be unused.
    QSqlQuery offsets;
    offsets.exec(QStringLiteral("DELETE FROM entry_offsets WHERE entry_id IN (") + ids.join(QLatin1Char(',')) +
                 QLatin1Char(')'));
    return StoreResult::success();
}

StoreResult EntryStore::replaceTitles(const QStringList &paths, const QString &title, int *changed)
{
    *changed = 0;
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("UPDATE entries SET title = :title WHERE application_id IN "
                                      "(SELECT id FROM applications WHERE path = :path)"))) {
        return StoreResult::failure(query.lastError().text());
    }
    for (const QString &path : paths) {
        query.bindValue(QStringLiteral(":title"), title);
        query.bindValue(QStringLiteral(":path"), path);
        if (!query.exec()) {
            return StoreResult::failure(query.lastError().text());
        }
        *changed += query.numRowsAffected();
    }
    return StoreResult::success();
}

QList<EntryRow> EntryStore::dayStretches(const QDate &day, const QString &appPath, const QString &title, bool *ok)
{
    QString statement = QStringLiteral(
        "SELECT applications.path AS app_path, applications.name AS app_name, entries.* FROM entries, "
        "applications WHERE entries.application_id = applications.id AND entries.start_time >= :day_start "
        "AND entries.start_time <= :day_end AND entries.ext_task_id IS NULL ");
    if (!appPath.isEmpty()) {
        statement += QStringLiteral("AND applications.path = :path ");
    }
    if (!title.isEmpty()) {
        statement += QStringLiteral("AND title = :title ");
    }
    statement += QStringLiteral("ORDER BY start_time ASC ");
    QSqlQuery query;
    query.setForwardOnly(true);
    query.prepare(statement);
    query.bindValue(QStringLiteral(":day_start"), dayStart(day));
    query.bindValue(QStringLiteral(":day_end"), dayEnd(day));
    if (!appPath.isEmpty()) {
        query.bindValue(QStringLiteral(":path"), appPath);
    }
    if (!title.isEmpty()) {
        query.bindValue(QStringLiteral(":title"), title);
    }
    QList<EntryRow> rows;
    const bool done = query.exec();
    if (ok) {
        *ok = done;
    }
    if (!done) {
        qCDebug(lcStore) << query.lastError().driverText();
        return rows;
    }
    EntryTime time;
    while (query.next()) {
        EntryRow row;
        row.id = query.value(QStringLiteral("id")).toLongLong();
        row.applicationId = query.value(QStringLiteral("application_id")).toLongLong();
        row.appPath = query.value(QStringLiteral("app_path")).toString();
        row.appName = query.value(QStringLiteral("app_name")).toString();
        row.title = query.value(QStringLiteral("title")).toString();
        row.start = time.startDateTime(row.id, query.value(QStringLiteral("start_time")).toString());
        row.end = time.endDateTime(row.id, query.value(QStringLiteral("end_time")).toString());
        rows.append(std::move(row));
    }
    return rows;
}

QList<EntryRow> EntryStore::entriesById(const QStringList &ids)
{
    QList<EntryRow> rows;
    if (!isIdList(ids)) {
        return rows;
    }
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, start_time, end_time, title FROM entries WHERE id IN (") +
                    ids.join(QLatin1Char(',')) + QLatin1Char(')'))) {
        return rows;
    }
    EntryTime time;
    while (query.next()) {
        EntryRow row;
        row.id = query.value(0).toLongLong();
        row.start = time.startDateTime(row.id, query.value(1).toString());
        row.end = time.endDateTime(row.id, query.value(2).toString());
        row.title = query.value(3).toString();
        rows.append(std::move(row));
    }
    return rows;
}

QString EntryStore::daysWithUnlinkedTimeQuery(const QStringList &ignoredPaths)
{
    QStringList excludedIds;
    if (!ignoredPaths.isEmpty()) {
        QStringList literals;
        for (const QString &path : ignoredPaths) {
            literals << sqlLiteral(QStringLiteral("path"), path);
        }
        SqliteStatement ids(QByteArrayLiteral("SELECT id FROM applications WHERE path IN (") +
                            literals.join(QLatin1Char(',')).toUtf8() + QByteArrayLiteral(") "));
        while (ids.next()) {
            excludedIds << QString::number(ids.integer(0));
        }
    }
    // The distinct days of unlinked entries, found by seeking from each day to the first entry after
    // it along unlinked_start_idx rather than by reading every entry: one index seek per day.
    const QString excluded = excludedIds.isEmpty() ? QString()
                                                   : QStringLiteral("AND application_id NOT IN(") +
                                                         excludedIds.join(QLatin1Char(',')) + QStringLiteral(") ");
    const QString firstAfter = QStringLiteral("SELECT substr(start_time, 1, 10) FROM entries WHERE ext_task_id IS NULL "
                                              "AND start_time IS NOT NULL ") +
                               excluded;
    return QStringLiteral("WITH RECURSIVE days(d) AS ( SELECT (") + firstAfter +
           QStringLiteral("ORDER BY start_time LIMIT 1) UNION ALL SELECT (") + firstAfter +
           QStringLiteral("AND start_time > d || ' ~' ORDER BY start_time LIMIT 1) FROM days "
                          "WHERE d IS NOT NULL ) SELECT d FROM days WHERE d IS NOT NULL");
}

QList<QDate> EntryStore::daysWithUnlinkedTime(const QStringList &ignoredPaths)
{
    QList<QDate> days;
    SqliteStatement query(daysWithUnlinkedTimeQuery(ignoredPaths).toUtf8());
    while (query.next()) {
        int size = 0;
        const char *text = query.utf8(0, &size);
        QDate day;
        days << (StampParser::readStoredDay(text, size, &day) ? day : parseDate(QString::fromLatin1(text, size)));
    }
    return days;
}

QHash<qint64, QString> EntryStore::applicationNames()
{
    QHash<qint64, QString> names;
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, name FROM applications"))) {
        return names;
    }
    while (query.next()) {
        names.insert(query.value(0).toLongLong(), query.value(1).toString());
    }
    return names;
}
