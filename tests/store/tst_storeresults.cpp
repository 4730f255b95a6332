#include "applicationstore.h"
#include "database.h"
#include "entrygroups.h"
#include "entrystore.h"
#include "linkstore.h"
#include "rulestore.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDate Day(2012, 3, 10);
}

// Failed statements come back as errors with the driver's text, not as empty results; and the
// statements kept for the hot reads follow the connection when it is closed or replaced.
class TestStoreResults : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
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
        QVERIFY(!EntryStore::insertEntry(QStringLiteral("t"), QStringLiteral("2012-03-10 09:00:00"),
                                         QStringLiteral("2012-03-10 09:00:05"), 1, &id)
                     .ok());
        QList<QMap<QString, QString>> records;
        QVERIFY(!LinkStore::readRecords({QStringLiteral("1")}, &records).ok());
        QVERIFY(!LinkStore::markLinked({QStringLiteral("1")}, LinkTarget{}).ok());
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

    void writesAndReadsRoundTrip()
    {
        Database db;
        QVERIFY(db.open(m_dir.filePath(QStringLiteral("full.sqlite")), nullptr));
        Database::createSchema();
        qint64 app = 0;
        QVERIFY(ApplicationStore::add(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"), &app).ok());
        qint64 found = 0;
        QVERIFY(ApplicationStore::find(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"), &found).ok());
        QCOMPARE(found, app);
        QVERIFY(ApplicationStore::find(QStringLiteral("/usr/bin/editor"), QStringLiteral("Other"), &found).ok());
        QCOMPARE(found, 0);
        qint64 first = 0;
        qint64 second = 0;
        QVERIFY(EntryStore::insertEntry(QStringLiteral("notes"), QStringLiteral("2012-03-10 09:00:00"),
                                        QStringLiteral("2012-03-10 09:00:05"), app, &first)
                    .ok());
        QVERIFY(EntryStore::insertEntry(QStringLiteral("notes"), QStringLiteral("2012-03-10 09:10:00"),
                                        QStringLiteral("2012-03-10 09:10:07"), app, &second)
                    .ok());
        const QStringList ids{QString::number(first), QString::number(second)};
        QList<EntryGroup> groups;
        QVERIFY(EntryGroups::load(Day, Day, &groups).ok());
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().entryIds, ids);
        QCOMPARE(groups.first().day, Day);

        LinkTarget target;
        target.taskId = 42;
        target.entryId = 900;
        QVERIFY(LinkStore::markLinked(ids, target).ok());
        QMap<qint64, RemoteBooking> bookings;
        QVERIFY(LinkStore::readRemoteBookings(ids, &bookings).ok());
        QCOMPARE(bookings.keys(), QList<qint64>{900});
        QCOMPARE(bookings.value(900).seconds, 12);
        // Booked entries are no longer offered to the rules.
        QVERIFY(EntryGroups::load(Day, Day, &groups).ok());
        QVERIFY(groups.isEmpty());
        QVERIFY(LinkStore::clearLinks(ids).ok());
        QVERIFY(EntryGroups::load(Day, Day, &groups).ok());
        QCOMPARE(groups.size(), 1);
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
            EntryStore::insertEntry(title, QStringLiteral("2012-03-10 09:00:00"), QStringLiteral("2012-03-10 09:00:05"),
                                    app, &entry);
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
};

QTEST_GUILESS_MAIN(TestStoreResults)
#include "tst_storeresults.moc"
