#include "applicationstore.h"
#include "database.h"
#include "entrygroups.h"
#include "entrystore.h"
#include "linkstore.h"
#include "rulestore.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDate Day(2012, 3, 10);

QStringList schemaObjects()
{
    QStringList names;
    QSqlQuery query(QStringLiteral("SELECT type || ':' || name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' "
                                   "ORDER BY name"));
    while (query.next()) {
        names << query.value(0).toString();
    }
    return names;
}

// Row counts of entries, applications and rules.
QString counts()
{
    QString text;
    for (const char *table : {"entries", "applications", "rules"}) {
        QSqlQuery query(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
        text += query.next() ? query.value(0).toString() + QLatin1Char(' ') : QStringLiteral("? ");
    }
    return text;
}
} // namespace

// The schema, the file's permissions, and what the stores give back when statements fail or the
// connection is replaced: errors with the driver's text, never empty results.
class TestDatabase : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void freshFileGetsWholeSchema()
    {
        Database db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("t.sqlite")), nullptr));
        Database::createSchema();
        const QStringList expected{QStringLiteral("table:applications"),
                                   QStringLiteral("index:end_idx"),
                                   QStringLiteral("table:entries"),
                                   QStringLiteral("table:entry_offsets"),
                                   QStringLiteral("table:pending_links"),
                                   QStringLiteral("table:pending_unlinks"),
                                   QStringLiteral("table:rules"),
                                   QStringLiteral("table:rules_apps"),
                                   QStringLiteral("table:settings"),
                                   QStringLiteral("index:start_idx"),
                                   QStringLiteral("index:unlinked_start_idx")};
        QCOMPARE(schemaObjects(), expected);

        QSqlQuery insert;
        QVERIFY(insert.exec(QStringLiteral("INSERT INTO rules (name) VALUES ('r')")));
        Database::createSchema();
        QCOMPARE(schemaObjects(), expected);
        QCOMPARE(counts(), QStringLiteral("0 0 1 "));
        db.close();
    }

    void oldFileKeepsRowsAndGainsRules()
    {
        const QString path = m_dir.filePath(QStringLiteral("old.sqlite"));
        {
            Database db;
            QVERIFY(db.open(path, nullptr));
            QSqlQuery query;
            QVERIFY(query.exec(Database::schemaStatements().at(0)));
            QVERIFY(query.exec(Database::schemaStatements().at(3)));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO applications (path, name) VALUES ('/bin/a', 'A')")));
            QVERIFY(query.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                              "VALUES ('t', 1, '2012-03-10 09:00:00', '2012-03-10 09:01:00')")));
            db.close();
        }
        // A file an earlier version left readable by others is the owner's alone once opened.
        QVERIFY(
            QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        Database db;
        QVERIFY(db.open(path, nullptr));
        QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        Database::createSchema();
        QCOMPARE(counts(), QStringLiteral("1 1 0 "));
        db.close();
    }

    void unopenablePathsReportTheDriverText()
    {
        const QString junk = m_dir.filePath(QStringLiteral("junk.sqlite"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        Database notADatabase;
        QString error;
        QVERIFY(!notADatabase.open(junk, &error));
        QVERIFY2(error.contains(QLatin1String("not a database")), qPrintable(error));
        QCOMPARE(QFileInfo(junk).size(), 4096);
    }

    void failuresCarryTheDriverText()
    {
        // A file without the schema: every statement fails on a missing table.
        Database db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("bare.sqlite")), nullptr));
        qint64 id = 7;
        StoreResult result = ApplicationStore::find(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"), &id);
        QVERIFY(!result.ok());
        QVERIFY2(result.error().contains(QStringLiteral("no such table")), qPrintable(result.error()));
        QCOMPARE(id, 0);
        const QDateTime nine(Day, QTime(9, 0));
        QVERIFY(!EntryStore::insertEntry(QStringLiteral("t"), nine, nine.addSecs(5), 1, &id).ok());
        QList<LinkedEntry> entries;
        QVERIFY(!LinkStore::readEntries({1}, &entries).ok());
        QVERIFY(!LinkStore::markPending({1}, LinkTarget{}, Day, 5).ok());
        QList<RuleListItem> rules;
        QVERIFY(!RuleStore::ruleList(&rules).ok());
        QList<EntryGroup> groups;
        result = EntryGroups::load(Day, Day, &groups);
        QVERIFY(!result.ok());
        QVERIFY2(result.error().contains(QStringLiteral("no such table")), qPrintable(result.error()));
        bool ok = true;
        QVERIFY(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0, &ok).isEmpty());
        QVERIFY(!ok);
        db.close();
    }

    void keptStatementsFollowTheConnection()
    {
        const auto titlesOfDay = [] {
            QStringList titles;
            for (const EntryRow &row : EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0)) {
                titles << row.title;
            }
            return titles;
        };
        const auto fill = [](const QString &title) {
            qint64 app = 0;
            qint64 entry = 0;
            ApplicationStore::add(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"), &app);
            const QDateTime nine(Day, QTime(9, 0));
            EntryStore::insertEntry(title, nine, nine.addSecs(5), app, &entry);
        };
        Database db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("a.sqlite")), nullptr));
        Database::createSchema();
        fill(QStringLiteral("from a"));
        QCOMPARE(titlesOfDay(), QStringList{QStringLiteral("from a")});
        // Opening another file replaces the default connection: the kept statements must not
        // read the old file, nor keep it from closing.
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("b.sqlite")), nullptr));
        Database::createSchema();
        fill(QStringLiteral("from b"));
        QCOMPARE(titlesOfDay(), QStringList{QStringLiteral("from b")});
        db.close();
        QCOMPARE(QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false).lastError().type(),
                 QSqlError::NoError);
        bool ok = true;
        QVERIFY(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0, &ok).isEmpty());
        QVERIFY(!ok);
        // Reopened, the first file still holds its row.
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("a.sqlite")), nullptr));
        QCOMPARE(titlesOfDay(), QStringList{QStringLiteral("from a")});
        db.close();
    }

    // Rule groups are formed without SQLite's date functions for the stored form; every other
    // form, NULL and empty titles must still group and count as those functions and GROUP BY do.
    void groupsCountAsSqliteDates()
    {
        Database db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("groups.sqlite")), nullptr));
        Database::createSchema();
        const QStringList rows{
            QStringLiteral("'report', 1, '2012-03-10 09:00:00', '2012-03-10 09:00:30'"),
            QStringLiteral("'report', 1, '2012-03-10 10:00:00', '2012-03-10 10:01:00'"),
            QStringLiteral("'report', 2, '2012-03-10 10:00:00', '2012-03-10 10:00:07'"),
            QStringLiteral("'report', 1, '2012-03-10 11:00:00.250', '2012-03-10 11:00:10.5'"),
            QStringLiteral("'report', 1, '2012-03-10 23:59:59', '2012-03-11 00:00:04'"),
            QStringLiteral("'', 1, '2012-03-10 12:00:00', '2012-03-10 12:00:02'"),
            QStringLiteral("NULL, 1, '2012-03-10 12:00:00', '2012-03-10 12:00:03'"),
            QStringLiteral("'broken', 1, '2012-03-10 13:61:00', '2012-03-10 13:00:00'"),
            QStringLiteral("'broken', 1, '2012-03-10 13:00:00', 'soon'"),
            QStringLiteral("'report', 1, '2012-03-09 09:00:00', '2012-03-09 09:00:09'"),
        };
        QSqlQuery insert;
        for (const QString &row : rows) {
            QVERIFY2(insert.exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                                "VALUES (") +
                                 row + QLatin1Char(')')),
                     qPrintable(insert.lastError().text()));
        }
        const auto describe = [](const QString &title, bool titleNull, const QString &app, const QString &day,
                                 QStringList ids, qint64 seconds) {
            ids.sort();
            return QStringLiteral("%1|%2|%3|%4|%5|%6")
                .arg(titleNull ? QStringLiteral("NULL") : title, app, day, ids.join(QLatin1Char(',')))
                .arg(seconds);
        };
        QStringList expected;
        QSqlQuery grouped(
            QStringLiteral("SELECT title, application_id, DATE(start_time) AS start_day, GROUP_CONCAT(id), "
                           "SUM(strftime('%s', end_time) - strftime('%s', start_time)) FROM entries "
                           "WHERE start_time >= '2012-03-09 00:00:00' AND start_time <= '2012-03-10 23:59:59' "
                           "AND ext_task_id IS NULL GROUP BY start_day, application_id, title"));
        while (grouped.next()) {
            expected << describe(grouped.value(0).toString(), grouped.value(0).isNull(), grouped.value(1).toString(),
                                 grouped.value(2).toString(), grouped.value(3).toString().split(QLatin1Char(',')),
                                 grouped.value(4).toLongLong());
        }
        QList<EntryGroup> groups;
        QVERIFY(EntryGroups::load(Day.addDays(-1), Day, &groups).ok());
        QStringList actual;
        for (const EntryGroup &group : groups) {
            actual << describe(group.title, group.title.isNull(), group.applicationId, group.day.toString(Qt::ISODate),
                               group.entryIds, group.seconds);
        }
        expected.sort();
        actual.sort();
        QCOMPARE(actual, expected);
        QCOMPARE(actual.size(), 7);
        db.close();
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
