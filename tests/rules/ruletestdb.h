#pragma once

#include "database.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

// A database file with the full schema on the default connection, emptied by reset() before each
// test, and small writers for the rows rule tests need.
class RuleTestDb
{
public:
    bool open()
    {
        if (!m_dir.isValid() || !m_db.open(m_dir.filePath(QStringLiteral("rules.sqlite")), nullptr)) {
            return false;
        }
        // Throw-away data: no need to wait for the disk after every statement.
        exec(QStringLiteral("PRAGMA synchronous = OFF"));
        Database::createSchema();
        return true;
    }

    // Empties every table, restarts the ids and brings back what a test dropped.
    static void reset()
    {
        QSqlQuery query;
        query.exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        Database::createSchema();
        for (const char *table : {"entries", "applications", "rules", "rules_apps", "sqlite_sequence"}) {
            query.exec(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        }
    }

    static int addApp(const QString &path, const QString &name)
    {
        QSqlQuery query;
        query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"));
        query.bindValue(QStringLiteral(":path"), path);
        query.bindValue(QStringLiteral(":name"), name);
        query.exec();
        return query.lastInsertId().toInt();
    }

    // `linkedEntryId` non-zero marks the entry as linked with a remote entry.
    static int addEntry(int appId, const QString &title, const QString &start, int linkedEntryId = 0)
    {
        QSqlQuery query;
        query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, "
                                     "ext_entry_id, ext_task_id) VALUES (:title, :app, :start, :start, :ext, :ext)"));
        query.bindValue(QStringLiteral(":title"), title);
        query.bindValue(QStringLiteral(":app"), appId);
        query.bindValue(QStringLiteral(":start"), start);
        query.bindValue(QStringLiteral(":ext"), linkedEntryId ? QVariant(linkedEntryId) : QVariant());
        query.exec();
        return query.lastInsertId().toInt();
    }

    static QVariant scalar(const QString &sql)
    {
        QSqlQuery query;
        if (!query.exec(sql) || !query.next()) {
            return {};
        }
        return query.value(0);
    }

    static bool exec(const QString &sql)
    {
        QSqlQuery query;
        return query.exec(sql);
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
};
