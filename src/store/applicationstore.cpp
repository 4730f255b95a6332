#include "applicationstore.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Runs a statement on an application's path and name.
StoreResult runOnApplication(QSqlQuery &query, const QString &statement, const QString &path, const QString &name)
{
    // A statement that does not prepare says why there; executing it would only say that its
    // parameters do not fit.
    if (!query.prepare(statement)) {
        return StoreResult::failure(query.lastError().text());
    }
    query.bindValue(QStringLiteral(":path"), path);
    query.bindValue(QStringLiteral(":name"), name);
    return query.exec() ? StoreResult::success() : StoreResult::failure(query.lastError().text());
}

} // namespace

StoreResult ApplicationStore::find(const QString &path, const QString &name, qint64 *id)
{
    *id = 0;
    QSqlQuery query;
    const StoreResult result = runOnApplication(
        query, QStringLiteral("SELECT id FROM applications WHERE path = :path AND name = :name"), path, name);
    if (result.ok() && query.next()) {
        *id = query.value(0).toLongLong();
    }
    return result;
}

StoreResult ApplicationStore::findAny(const QString &path, const QStringList &names, qint64 *id)
{
    *id = 0;
    if (names.isEmpty()) {
        return find(path, QString(), id);
    }
    QSqlQuery query;
    if (!query.prepare(QStringLiteral("SELECT id FROM applications WHERE path = ? AND name IN (") +
                       QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                       QStringLiteral(") ORDER BY name = ? DESC, id LIMIT 1"))) {
        return StoreResult::failure(query.lastError().text());
    }
    query.addBindValue(path);
    for (const QString &name : names) {
        query.addBindValue(name);
    }
    query.addBindValue(names.first());
    if (!query.exec()) {
        return StoreResult::failure(query.lastError().text());
    }
    if (query.next()) {
        *id = query.value(0).toLongLong();
    }
    return StoreResult::success();
}

StoreResult ApplicationStore::add(const QString &path, const QString &name, qint64 *id)
{
    *id = 0;
    QSqlQuery query;
    const StoreResult result = runOnApplication(
        query, QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"), path, name);
    if (result.ok()) {
        *id = query.lastInsertId().toLongLong();
    }
    return result;
}

StoreResult ApplicationStore::all(QList<ApplicationRow> *applications)
{
    applications->clear();
    QSqlQuery query;
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT id, path, name FROM applications ORDER BY name ASC"))) {
        return StoreResult::failure(query.lastError().text());
    }
    while (query.next()) {
        applications->append({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    }
    return StoreResult::success();
}
