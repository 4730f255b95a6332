#include "database.h"
#include "entrystore.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDate Day(2012, 3, 10);

qint64 addApp(const QString &path, const QString &name)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (:path, :name)"));
    query.bindValue(QStringLiteral(":path"), path);
    query.bindValue(QStringLiteral(":name"), name);
    query.exec();
    return query.lastInsertId().toLongLong();
}

qint64 addEntry(qint64 app, const QString &title, const QString &start, const QString &end, bool linked = false)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id) "
                                 "VALUES (:title, :app, :start, :end, :task)"));
    query.bindValue(QStringLiteral(":title"), title);
    query.bindValue(QStringLiteral(":app"), app);
    query.bindValue(QStringLiteral(":start"), start);
    query.bindValue(QStringLiteral(":end"), end);
    query.bindValue(QStringLiteral(":task"), linked ? QVariant(7) : QVariant());
    query.exec();
    return query.lastInsertId().toLongLong();
}

QStringList titles(const QList<EntryRow> &rows)
{
    QStringList result;
    for (const EntryRow &row : rows) {
        result << row.title;
    }
    result.sort();
    return result;
}
} // namespace

class TestEntryStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Database m_db;
    qint64 m_editor = 0;
    qint64 m_mail = 0;

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_db.open(m_dir.filePath(QStringLiteral("s.sqlite")), nullptr));
        Database::createSchema();
        m_editor = addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail Client"));
    }

    void cleanup()
    {
        QSqlQuery query;
        query.exec(QStringLiteral("DELETE FROM entries"));
        query.exec(QStringLiteral("DELETE FROM applications"));
        m_db.close();
    }

    void dayBoundsAndLinkState()
    {
        addEntry(m_editor, QStringLiteral("late"), QStringLiteral("2012-03-09 23:50:00"),
                 QStringLiteral("2012-03-10 00:10:00"));
        addEntry(m_editor, QStringLiteral("first"), QStringLiteral("2012-03-10 00:00:00"),
                 QStringLiteral("2012-03-10 00:00:05"));
        addEntry(m_editor, QStringLiteral("last"), QStringLiteral("2012-03-10 23:59:59"),
                 QStringLiteral("2012-03-11 00:20:00"));
        addEntry(m_mail, QStringLiteral("booked"), QStringLiteral("2012-03-10 10:00:00"),
                 QStringLiteral("2012-03-10 10:05:00"), true);

        bool ok = false;
        const QList<EntryRow> unlinked = EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0, &ok);
        QVERIFY(ok);
        QCOMPARE(titles(unlinked), (QStringList{QStringLiteral("first"), QStringLiteral("last")}));
        const QList<EntryRow> linked = EntryStore::dayEntries(Day, EntryStore::Link::Linked, QString(), 0);
        QCOMPARE(titles(linked), QStringList{QStringLiteral("booked")});
        QCOMPARE(linked.first().appName, QStringLiteral("Mail Client"));
        QCOMPARE(linked.first().extTaskId.toInt(), 7);
        QCOMPARE(linked.first().seconds(), 300);
        // The midnight-crossing entry belongs to the day it starts on.
        QCOMPARE(titles(EntryStore::dayEntries(Day.addDays(-1), EntryStore::Link::Unlinked, QString(), 0)),
                 QStringList{QStringLiteral("late")});
    }

    void thresholdSumsPerApplicationAndTitle()
    {
        addEntry(m_editor, QStringLiteral("short"), QStringLiteral("2012-03-10 09:00:00"),
                 QStringLiteral("2012-03-10 09:00:04"));
        addEntry(m_editor, QStringLiteral("short"), QStringLiteral("2012-03-10 09:10:00"),
                 QStringLiteral("2012-03-10 09:10:05"));
        addEntry(m_mail, QStringLiteral("short"), QStringLiteral("2012-03-10 09:20:00"),
                 QStringLiteral("2012-03-10 09:20:08"));
        addEntry(m_editor, QStringLiteral("other"), QStringLiteral("2012-03-10 09:30:00"),
                 QStringLiteral("2012-03-10 09:30:03"));
        QVERIFY(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 10).isEmpty());

        addEntry(m_editor, QStringLiteral("short"), QStringLiteral("2012-03-10 09:40:00"),
                 QStringLiteral("2012-03-10 09:40:01"));
        const QList<EntryRow> rows = EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 10);
        QCOMPARE(rows.size(), 3);
        for (const EntryRow &row : rows) {
            QCOMPARE(row.applicationId, m_editor);
            QCOMPARE(row.title, QStringLiteral("short"));
        }
        QCOMPARE(EntryStore::getDuration(Day, QStringLiteral("short"), m_editor, EntryStore::Link::Unlinked, {}), 10);
        QCOMPARE(EntryStore::getEntryIds(Day, QStringLiteral("short"), m_editor, EntryStore::Link::Unlinked).size(), 3);
        QCOMPARE(EntryStore::getDuration(Day, QStringLiteral("none"), m_editor, EntryStore::Link::Unlinked, {}), 0);
    }

    void filterTermsMatchTitleOrApplication()
    {
        addEntry(m_mail, QStringLiteral("weekly report draft"), QStringLiteral("2012-03-10 09:00:00"),
                 QStringLiteral("2012-03-10 09:05:00"));
        addEntry(m_editor, QStringLiteral("Mail merge: weekly report"), QStringLiteral("2012-03-10 10:00:00"),
                 QStringLiteral("2012-03-10 10:05:00"));
        addEntry(m_editor, QStringLiteral("weekly notes"), QStringLiteral("2012-03-10 11:00:00"),
                 QStringLiteral("2012-03-10 11:05:00"));
        addEntry(m_editor, QStringLiteral("meet at five o'clock"), QStringLiteral("2012-03-10 12:00:00"),
                 QStringLiteral("2012-03-10 12:00:30"));

        const QString filter = QStringLiteral("MAIL \"weekly report\"");
        QCOMPARE(titles(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, filter, 0)),
                 (QStringList{QStringLiteral("Mail merge: weekly report"), QStringLiteral("weekly report draft")}));
        // The threshold only sums what the filter lets through.
        QCOMPARE(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, filter, 301).size(), 0);
        QCOMPARE(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, filter, 300).size(), 2);

        bool ok = false;
        QCOMPARE(titles(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QStringLiteral("o'clock"), 10, &ok)),
                 QStringList{QStringLiteral("meet at five o'clock")});
        QVERIFY(ok);
        QCOMPARE(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QStringLiteral("%"), 0).size(), 4);
        QCOMPARE(EntryStore::filterClause(QString()), QString());
        QCOMPARE(EntryStore::filterClause(QStringLiteral("o'clock")),
                 QStringLiteral("AND ( entries.title LIKE '%o''clock%' OR applications.name LIKE '%o''clock%') "));
    }

    void retitleAndDelete()
    {
        const qint64 a = addEntry(m_editor, QStringLiteral("at 10:00:00"), QStringLiteral("2012-03-10 10:00:00"),
                                  QStringLiteral("2012-03-10 10:30:00"));
        const qint64 b = addEntry(m_editor, QStringLiteral("x"), QStringLiteral("2012-03-10 11:00:00"),
                                  QStringLiteral("2012-03-10 11:30:00"));
        const QStringList ids{QString::number(a), QString::number(b)};
        EntryStore::updateEntriesTitle(ids, QStringLiteral("Lunch's over"));
        QCOMPARE(titles(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0)),
                 (QStringList{QStringLiteral("Lunch's over"), QStringLiteral("Lunch's over")}));

        QVERIFY(!EntryStore::deleteEntries({}));
        QVERIFY(!EntryStore::deleteEntries({QStringLiteral("1) OR (1=1")}));
        QCOMPARE(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0).size(), 2);
        QVERIFY(EntryStore::deleteEntries({QString::number(a)}));
        QCOMPARE(EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0).size(), 1);
    }

    void calendarDaysSkipLinkedAndExcluded()
    {
        addEntry(m_editor, QStringLiteral("a"), QStringLiteral("2012-03-09 23:50:00"),
                 QStringLiteral("2012-03-10 00:10:00"));
        addEntry(m_mail, QStringLiteral("b"), QStringLiteral("2012-03-11 08:00:00"),
                 QStringLiteral("2012-03-11 08:10:00"));
        addEntry(m_mail, QStringLiteral("c"), QStringLiteral("2012-03-12 08:00:00"),
                 QStringLiteral("2012-03-12 08:10:00"), true);
        QList<QDate> days = EntryStore::daysWithUnlinkedTime({});
        std::sort(days.begin(), days.end());
        QCOMPARE(days, (QList<QDate>{QDate(2012, 3, 9), QDate(2012, 3, 11)}));
        QCOMPARE(EntryStore::daysWithUnlinkedTime({QStringLiteral("/usr/bin/mail")}), QList<QDate>{QDate(2012, 3, 9)});
        // Case matters here, and unknown paths leave the clause out.
        QCOMPARE(EntryStore::daysWithUnlinkedTime({QStringLiteral("/USR/BIN/MAIL"), QStringLiteral("/x'y")}).size(), 2);
    }

    void dayRowsReadStoredAndOddStamps()
    {
        addEntry(m_editor, QStringLiteral("stored"), QStringLiteral("2012-03-10 09:05:00"),
                 QStringLiteral("2012-03-10 10:06:01"));
        addEntry(m_editor, QStringLiteral("unpadded"), QStringLiteral("2012-03-10 09:5:0"),
                 QStringLiteral("2012-03-10 09:6:30"));
        addEntry(m_editor, QStringLiteral("no end"), QStringLiteral("2012-03-10 11:00:00"), QString());
        QMap<QString, EntryRow> rows;
        for (const EntryRow &row : EntryStore::dayEntries(Day, EntryStore::Link::Unlinked, QString(), 0)) {
            rows.insert(row.title, row);
        }
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.value(QStringLiteral("stored")).start, QDateTime(Day, QTime(9, 5, 0)));
        QCOMPARE(rows.value(QStringLiteral("stored")).end, QDateTime(Day, QTime(10, 6, 1)));
        QCOMPARE(rows.value(QStringLiteral("stored")).seconds(), 3661);
        QCOMPARE(rows.value(QStringLiteral("unpadded")).start, QDateTime(Day, QTime(9, 5, 0)));
        QCOMPARE(rows.value(QStringLiteral("unpadded")).seconds(), 90);
        QVERIFY(rows.value(QStringLiteral("no end")).end.isNull());
        QCOMPARE(rows.value(QStringLiteral("no end")).seconds(), 0);
    }

    void calendarDaysAcrossGapsAndOddStamps()
    {
        const QStringList starts{QStringLiteral("2012-01-31 23:59:59"), QStringLiteral("2012-02-01 00:00:00"),
                                 QStringLiteral("2012-02-01 12:00:00"), QStringLiteral("2013-07-04 08:00:00"),
                                 QStringLiteral("2013-07-04 09:00:00"), QStringLiteral("2020-12-31 10:00:00")};
        for (const QString &start : starts) {
            addEntry(m_editor, QStringLiteral("t"), start, start);
        }
        // Excluded and linked days in between do not stop the walk over the days.
        addEntry(m_mail, QStringLiteral("m"), QStringLiteral("2013-01-01 08:00:00"),
                 QStringLiteral("2013-01-01 08:00:00"));
        addEntry(m_editor, QStringLiteral("l"), QStringLiteral("2014-01-01 08:00:00"),
                 QStringLiteral("2014-01-01 08:00:00"), true);
        addEntry(m_editor, QStringLiteral("empty"), QString(), QString());
        QList<QDate> days = EntryStore::daysWithUnlinkedTime({QStringLiteral("/usr/bin/mail")});
        std::sort(days.begin(), days.end());
        // A row without a start marks no day.
        QCOMPARE(days, (QList<QDate>{QDate(2012, 1, 31), QDate(2012, 2, 1), QDate(2013, 7, 4), QDate(2020, 12, 31)}));
        QCOMPARE(EntryStore::daysWithUnlinkedTime({}).size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestEntryStore)
#include "tst_entrystore.moc"
