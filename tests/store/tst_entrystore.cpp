#include "entrygroups.h"
#include "entrystore.h"
#include "exportreader.h"
#include "linkstore.h"
#include "testdb.h"

#include <QTest>

namespace {
const QDate Day(2012, 3, 10);
using Link = EntryStore::Link;

// A stamp of eight characters or fewer is a time on Day.
QVariant stamp(const char *text)
{
    const QString value = QString::fromLatin1(text);
    return !text ? QVariant() : QVariant(value.size() <= 8 ? QStringLiteral("2012-03-10 ") + value : value);
}

qint64 add(qint64 app, const char *title, const char *start, const char *end, bool linked = false)
{
    return TestDb::exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id) "
                                       "VALUES (?, ?, ?, ?, ?)"),
                        {QString::fromUtf8(title), app, stamp(start), stamp(end), linked ? QVariant(7) : QVariant()});
}

QList<EntryRow> rows(const QString &filter = {}, int hideUnder = 0, Link link = Link::Unlinked, const QDate &day = Day)
{
    return EntryStore::dayEntries(day, link, filter, hideUnder);
}

QStringList titles(const QList<EntryRow> &list)
{
    QStringList result;
    for (const EntryRow &row : list) {
        result << row.title;
    }
    result.sort();
    return result;
}

QList<QDate> days(const QStringList &excluded)
{
    QList<QDate> result = EntryStore::daysWithUnlinkedTime(excluded);
    std::sort(result.begin(), result.end());
    return result;
}
} // namespace

class TestEntryStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDb::TempDatabase> m_db;
    qint64 m_editor = 0;
    qint64 m_mail = 0;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDb::TempDatabase>();
        QVERIFY(m_db->isOpen());
        m_editor = TestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_mail = TestDb::addApp(QStringLiteral("/usr/bin/mail"), QStringLiteral("Mail Client"));
    }

    // Runs in Europe/Berlin. Stretches around the autumn clock change (03:00 CEST back to 02:00 CET)
    // keep their real seconds wherever they are counted, also the one whose stored end text lies
    // before its start text, and one in the repeated hour the text alone would misplace.
    void clockChangeCountsRealSeconds()
    {
        const QDate autumn(2026, 10, 25);
        const auto utc = [](int hour, int minute) {
            return QDateTime(QDate(2026, 10, 25), QTime(hour, minute), Qt::UTC).toLocalTime();
        };
        // 00:50 UTC is 02:50 CEST, 01:10 UTC is 02:10 CET; 01:20 to 01:40 UTC is 02:20 to 02:40 CET.
        const QList<QPair<QDateTime, QDateTime>> stretches{
            {utc(0, 50), utc(1, 10)}, {utc(1, 20), utc(1, 40)}, {utc(23, 30), utc(23, 55)}};
        const QList<qint64> seconds{1200, 1200, 1500};
        EntryIds ids;
        for (const auto &[start, end] : stretches) {
            qint64 id = 0;
            QVERIFY(EntryStore::insertEntry(QStringLiteral("across"), start, end, m_editor, &id).ok());
            ids << id;
        }
        qint64 day = 0;
        for (const EntryRow &row : EntryStore::dayEntries(autumn, Link::Unlinked, {}, 0)) {
            day += row.seconds();
        }
        QCOMPARE(day, 2400);
        QCOMPARE(titles(EntryStore::dayEntries(autumn, Link::Unlinked, {}, 2400)).size(), 2);
        QVERIFY(EntryStore::dayEntries(autumn, Link::Unlinked, {}, 2401).isEmpty());
        QList<EntryGroup> groups;
        QVERIFY(EntryGroups::load(autumn, autumn.addDays(1), &groups).ok());
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups.at(0).seconds + groups.at(1).seconds, 3900);
        const QList<ExportRecord> exported = ExportReader::read(autumn, autumn.addDays(1));
        QCOMPARE(exported.size(), 3);
        for (const ExportRecord &record : exported) {
            const auto i = ids.indexOf(record.id);
            QCOMPARE(record.seconds, seconds.at(i));
            QCOMPARE(record.start.toSecsSinceEpoch(), stretches.at(i).first.toSecsSinceEpoch());
            QCOMPARE(record.end.toSecsSinceEpoch(), stretches.at(i).second.toSecsSinceEpoch());
        }
        QList<LinkedEntry> linking;
        QVERIFY(LinkStore::readEntries(ids, &linking).ok());
        QCOMPARE(linking.at(0).seconds + linking.at(1).seconds + linking.at(2).seconds, 3900);
        QCOMPARE(linking.at(2).day, autumn.addDays(1));
    }

    void cleanup() { m_db.reset(); }

    void dayBoundsLinkStateAndStamps()
    {
        add(m_editor, "late", "2012-03-09 23:50:00", "00:10:00");
        add(m_editor, "first", "00:00:00", "00:00:05");
        add(m_editor, "last", "23:59:59", "2012-03-11 00:20:00");
        add(m_mail, "booked", "10:00:00", "10:05:00", true);
        add(m_editor, "unpadded", "09:5:0", "09:6:30");
        add(m_editor, "no end", "11:00:00", nullptr);
        QStringList seconds;
        bool ok = false;
        for (const EntryRow &row : EntryStore::dayEntries(Day, Link::Unlinked, QString(), 0, &ok)) {
            seconds << row.title + QLatin1Char('=') + QString::number(row.seconds());
        }
        QVERIFY(ok);
        seconds.sort();
        QCOMPARE(seconds.join(QLatin1Char(' ')), QStringLiteral("first=5 last=1201 no end=0 unpadded=90"));
        const QList<EntryRow> linked = rows({}, 0, Link::Linked);
        QCOMPARE(titles(linked), QStringList{QStringLiteral("booked")});
        QCOMPARE(linked.first().appName, QStringLiteral("Mail Client"));
        // The midnight-crossing entry belongs to the day it starts on.
        QCOMPARE(titles(rows({}, 0, Link::Unlinked, Day.addDays(-1))), QStringList{QStringLiteral("late")});
    }

    void thresholdSumsPerApplicationAndTitle()
    {
        add(m_editor, "short", "09:00:00", "09:00:04");
        add(m_editor, "short", "09:10:00", "09:10:05");
        add(m_mail, "short", "09:20:00", "09:20:08");
        add(m_editor, "other", "09:30:00", "09:30:03");
        add(m_editor, "short", "09:40:00", "09:40:01", true);
        QVERIFY(rows({}, 10).isEmpty());
        add(m_editor, "short", "09:50:00", "09:50:01");
        // Only the editor's unlinked "short" rows reach the threshold together.
        QCOMPARE(titles(rows({}, 10)), QStringList(3, QStringLiteral("short")));
    }

    // The threshold reads stamps as SQLite does (whole seconds, other forms), an untitled group
    // counts like any other, and an entry whose application is gone belongs to no day.
    void thresholdReadsStampsAsStored()
    {
        add(m_editor, "odd", "09:00:00", "2012-03-10T09:00:09.900");
        add(m_editor, "odd", "09:10:00", "09:10:01");
        TestDb::exec(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time) "
                                    "VALUES (NULL, ?, ?, ?)"),
                     {m_mail, stamp("10:00:00"), stamp("10:00:30")});
        add(m_mail + 100, "orphan", "11:00:00", "11:30:00");
        QCOMPARE(titles(rows()), (QStringList{QString(), QStringLiteral("odd"), QStringLiteral("odd")}));
        QCOMPARE(titles(rows({}, 10)), (QStringList{QString(), QStringLiteral("odd"), QStringLiteral("odd")}));
        QCOMPARE(titles(rows({}, 11)), QStringList{QString()});
        QVERIFY(rows({}, 31).isEmpty());
    }

    void filterTermsMatchTitleOrApplication()
    {
        add(m_mail, "weekly report draft", "09:00:00", "09:05:00");
        add(m_editor, "Mail merge: weekly report", "10:00:00", "10:05:00");
        add(m_editor, "weekly notes", "11:00:00", "11:05:00");
        add(m_editor, "meet at five o'clock", "12:00:00", "12:00:30");
        const QString filter = QStringLiteral("MAIL \"weekly report\"");
        QCOMPARE(titles(rows(filter)),
                 (QStringList{QStringLiteral("Mail merge: weekly report"), QStringLiteral("weekly report draft")}));
        // The threshold only sums what the filter lets through.
        QCOMPARE(rows(filter, 301).size(), 0);
        QCOMPARE(rows(filter, 300).size(), 2);
        QCOMPARE(titles(rows(QStringLiteral("o'clock"), 10)), QStringList{QStringLiteral("meet at five o'clock")});
        QCOMPARE(rows(QStringLiteral("%")).size(), 4);
    }

    void deleteRefusesNonNumericIds()
    {
        const QStringList ids{QString::number(add(m_editor, "a", "10:00:00", "10:30:00")),
                              QString::number(add(m_editor, "b", "11:00:00", "11:30:00"))};
        QVERIFY(!EntryStore::deleteEntries({}).ok());
        QVERIFY(!EntryStore::deleteEntries({QStringLiteral("1) OR (1=1")}).ok());
        QCOMPARE(rows().size(), 2);
        QVERIFY(EntryStore::deleteEntries({ids.first()}).ok());
        QCOMPARE(rows().size(), 1);
    }

    // Linked and unlinked rows of the listed applications alike; a path is bound, never spliced in.
    void replaceTitlesKeepsTimesAndOtherApplications()
    {
        add(m_editor, "salary.ods", "10:00:00", "10:30:00");
        add(m_editor, "bank", "11:00:00", "11:10:00", true);
        add(m_mail, "Inbox", "12:00:00", "12:05:00");
        const qint64 quoted = TestDb::addApp(QStringLiteral("/opt/it's/app"), QStringLiteral("Quoted"));
        add(quoted, "diary", "13:00:00", "13:01:00");
        int changed = -1;
        QVERIFY(EntryStore::replaceTitles(
                    {QStringLiteral("/usr/bin/editor"), QStringLiteral("/opt/it's/app"), QStringLiteral("' OR 1=1 --")},
                    QStringLiteral("Private"), &changed)
                    .ok());
        QCOMPARE(changed, 3);
        QCOMPARE(titles(rows()),
                 (QStringList{QStringLiteral("Inbox"), QStringLiteral("Private"), QStringLiteral("Private")}));
        QCOMPARE(titles(rows({}, 0, Link::Linked)), QStringList{QStringLiteral("Private")});
        qint64 seconds = 0;
        for (const EntryRow &row : rows() + rows({}, 0, Link::Linked)) {
            seconds += row.seconds();
        }
        QCOMPARE(seconds, 1800 + 600 + 300 + 60);
    }

    void calendarDaysSkipLinkedAndExcluded()
    {
        add(m_editor, "a", "2012-03-09 23:50:00", "00:10:00");
        add(m_mail, "b", "2012-03-11 08:00:00", "2012-03-11 08:10:00");
        add(m_editor, "c", "2012-03-12 08:00:00", "2012-03-12 08:10:00", true);
        add(m_editor, "d", "2020-12-31 10:00:00", "2020-12-31 10:00:00");
        add(m_editor, "empty", nullptr, nullptr);
        QCOMPARE(days({}), (QList<QDate>{QDate(2012, 3, 9), QDate(2012, 3, 11), QDate(2020, 12, 31)}));
        QCOMPARE(days({QStringLiteral("/usr/bin/mail")}), (QList<QDate>{QDate(2012, 3, 9), QDate(2020, 12, 31)}));
        // Case matters here, and an odd path leaves the clause sound.
        QCOMPARE(days({QStringLiteral("/USR/BIN/MAIL"), QStringLiteral("/x'y")}).size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestEntryStore)
#include "tst_entrystore.moc"
