#pragma once

#include "database.h"
#include "rulestore.h"
#include "testdb.h"

#include <QSqlQuery>
#include <QVariant>

// A database file with the full schema on the default connection, emptied by reset() before each
// test, and small writers for the rows rule tests need.
class RuleTestDb
{
public:
    bool open()
    {
        // Throw-away data: no need to wait for the disk after every statement.
        return m_db.isOpen() && exec(QStringLiteral("PRAGMA synchronous = OFF"));
    }

    // Empties every table, restarts the ids and brings back what a test dropped.
    static void reset()
    {
        exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        Database::createSchema();
        for (const char *table : {"entries", "applications", "rules", "rules_apps", "sqlite_sequence"}) {
            exec(QStringLiteral("DELETE FROM ") + QLatin1String(table));
        }
    }

    static int addApp(const QString &path, const QString &name) { return int(TestDb::addApp(path, name)); }

    // `linkedEntryId` non-zero marks the entry as linked with a remote entry.
    static int addEntry(int appId, const QString &title, const QString &start, int linkedEntryId = 0)
    {
        const QVariant ext = linkedEntryId ? QVariant(linkedEntryId) : QVariant();
        return int(TestDb::exec(
            QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, ext_entry_id, "
                           "ext_task_id) VALUES (?, ?, ?, ?, ?, ?)"),
            {title, appId, start, start, ext, ext}));
    }

    // A rule holding everything but applications, task and title conditions at a default.
    static int addRule(const QList<int> &apps, int taskId = 4, const QString &titleRule = QStringLiteral("or"),
                       const QString &title = QString(), const QString &name = QStringLiteral("r"))
    {
        return RuleStore::addRule(name, apps, titleRule, title, QStringLiteral("always"), QDate(2012, 3, 5),
                                  QDate(2012, 3, 7), 3, taskId);
    }

    static bool exec(const QString &sql)
    {
        QSqlQuery query;
        return query.exec(sql);
    }

private:
    TestDb::TempDatabase m_db;
};
