#pragma once

// A throw-away local database, and writers for its rows on the default connection, for tests that set up a day.

#include "database.h"

#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace TestDb {

// A database file with the full schema in a folder of its own, open on the default connection while it lives.
class TempDatabase
{
public:
    TempDatabase()
    {
        m_open = m_dir.isValid() && m_db.open(path(), &m_error);
        if (m_open) {
            Database::createSchema();
        }
    }
    ~TempDatabase() { m_db.close(); }

    bool isOpen() const { return m_open; }
    QString error() const { return m_error; }
    QString path() const { return m_dir.filePath(QStringLiteral("test.sqlite")); }

private:
    QTemporaryDir m_dir;
    Database m_db;
    QString m_error;
    bool m_open = false;
};

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
