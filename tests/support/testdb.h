#pragma once

// Writers for the rows of the local database on the default connection, for tests that set up a day.

#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace TestDb {

// Runs `sql` with `values` bound in order; gives the new row's id, or -1 when the statement fails.
inline qint64 exec(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery query;
    query.prepare(sql);
    for (const QVariant &value : values) {
        query.addBindValue(value);
    }
    return query.exec() ? query.lastInsertId().toLongLong() : -1;
}

inline qint64 addApp(const QString &path, const QString &name)
{
    return exec(QStringLiteral("INSERT INTO applications (path, name) VALUES (?, ?)"), {path, name});
}

// An unlinked entry; `start` and `end` are stored as given ("yyyy-MM-dd hh:mm:ss", or a null QVariant).
inline qint64 addEntry(qint64 app, const QString &title, const QVariant &start, const QVariant &end)
{
    return exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES (?, ?, ?, ?)"),
                {title, app, start, end});
}

} // namespace TestDb
