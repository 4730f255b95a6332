#pragma once

// A database file with the full schema and writers for applications and entries.

#include "database.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

namespace ExportTest {

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

inline qint64 addEntry(qint64 app, const QString &title, const QString &start, const QString &end)
{
    return exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) VALUES (?, ?, ?, ?)"),
                {title, app, start, end});
}

} // namespace ExportTest
