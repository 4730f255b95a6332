#include "database.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
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

int count(const QString &table)
{
    QSqlQuery query(QStringLiteral("SELECT count(*) FROM ") + table);
    return query.next() ? query.value(0).toInt() : -1;
}
} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshFileGetsWholeSchema()
    {
        QTemporaryDir dir;
        Database db;
        QString error;
        QVERIFY(db.open(dir.filePath(QStringLiteral("t.sqlite")), &error));
        Database::createSchema();
        const QStringList expected{QStringLiteral("table:applications"), QStringLiteral("index:end_idx"),
                                   QStringLiteral("table:entries"),      QStringLiteral("table:rules"),
                                   QStringLiteral("table:rules_apps"),   QStringLiteral("table:settings"),
                                   QStringLiteral("index:start_idx"),    QStringLiteral("index:unlinked_start_idx")};
        QCOMPARE(schemaObjects(), expected);
        QCOMPARE(count(QStringLiteral("entries")), 0);

        QSqlQuery insert;
        QVERIFY(insert.exec(QStringLiteral("INSERT INTO rules (name) VALUES ('r')")));
        QSqlQuery defaults(QStringLiteral("SELECT title_rule, date_rule, seq, active FROM rules"));
        QVERIFY(defaults.next());
        QCOMPARE(defaults.value(0).toString(), QStringLiteral("and"));
        QCOMPARE(defaults.value(1).toString(), QStringLiteral("after"));
        QCOMPARE(defaults.value(2).toInt(), 0);
        QCOMPARE(defaults.value(3).toInt(), 1);

        Database::createSchema();
        QCOMPARE(schemaObjects(), expected);
        QCOMPARE(count(QStringLiteral("rules")), 1);
        db.close();
    }

    void oldFileKeepsRowsAndGainsRules()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.sqlite"));
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
        Database db;
        QVERIFY(db.open(path, nullptr));
        Database::createSchema();
        QCOMPARE(count(QStringLiteral("entries")), 1);
        QCOMPARE(count(QStringLiteral("applications")), 1);
        QCOMPARE(count(QStringLiteral("rules")), 0);
        db.close();
    }

    void unopenablePathsReportTheDriverText()
    {
        QTemporaryDir dir;
        Database missingFolder;
        QString error;
        QVERIFY(!missingFolder.open(dir.filePath(QStringLiteral("no/such/folder/t.sqlite")), &error));
        QVERIFY(!error.isEmpty());

        const QString junk = dir.filePath(QStringLiteral("junk.sqlite"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        Database notADatabase;
        error.clear();
        QVERIFY(!notADatabase.open(junk, &error));
        QVERIFY2(error.contains(QLatin1String("not a database")), qPrintable(error));
        QCOMPARE(QFileInfo(junk).size(), 4096);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
