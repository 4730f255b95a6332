#include "entrystore.h"
#include "testdb.h"
#include "weekfigures.h"

#include <QSqlQuery>
#include <QTest>

// Runs with TZ=Europe/Berlin: the week of 19 October 2026 ends with the night summer time ends.
namespace {
const QDate Monday(2026, 10, 19);
const QDate Sunday(2026, 10, 25);
const QString Away = QStringLiteral("tavro://idle");

using TestDb::exec;

qint64 add(qint64 app, const QString &start, const QString &end)
{
    return TestDb::addEntry(app, QStringLiteral("work"), start, end);
}

// Links the entry to `project`; `booked` gives it the service's entry id.
void link(qint64 entry, int project, bool booked)
{
    QVERIFY(
        exec(QStringLiteral("UPDATE entries SET ext_task_id = 3, ext_project_id = ?, ext_entry_id = ? WHERE id = ?"),
             {project, booked ? QVariant(800) : QVariant(), entry}) >= 0);
}

QList<qint64> seconds(const DayFigures &day)
{
    return {day.recorded, day.linked, day.unlinked, day.away, day.toBook};
}

QStringList shares(const DayFigures &day)
{
    QStringList texts;
    for (const DayShare &share : day.shares) {
        const char *kind = share.kind == DayShare::Kind::Linked     ? "linked"
                           : share.kind == DayShare::Kind::Unlinked ? "unlinked"
                                                                    : "away";
        texts << QStringLiteral("%1 %2 %3").arg(QLatin1String(kind), share.key).arg(share.seconds);
    }
    return texts;
}
} // namespace

class TestWeekFigures : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestDb::TempDatabase> m_db;
    qint64 m_editor = 0;
    qint64 m_chat = 0;
    qint64 m_away = 0;

private Q_SLOTS:
    void init()
    {
        m_db = std::make_unique<TestDb::TempDatabase>();
        QVERIFY2(m_db->isOpen(), qPrintable(m_db->error()));
        m_editor = TestDb::addApp(QStringLiteral("/usr/bin/editor"), QStringLiteral("Editor"));
        m_chat = TestDb::addApp(QStringLiteral("/usr/bin/chat"), QStringLiteral("Chat"));
        m_away = TestDb::addApp(Away, QStringLiteral("Away Time"));

        add(m_editor, QStringLiteral("2026-10-19 08:00:00"), QStringLiteral("2026-10-19 09:00:00"));
        link(add(m_editor, QStringLiteral("2026-10-19 09:00:00"), QStringLiteral("2026-10-19 09:30:00")), 5, true);
        add(m_away, QStringLiteral("2026-10-19 09:30:00"), QStringLiteral("2026-10-19 09:45:00"));
        // Linked but not accepted by the service yet, and a meeting booked over away time.
        link(add(m_editor, QStringLiteral("2026-10-20 10:00:00"), QStringLiteral("2026-10-20 10:20:00")), 5, false);
        link(add(m_away, QStringLiteral("2026-10-20 11:00:00"), QStringLiteral("2026-10-20 11:10:00")), 6, true);
        add(m_chat, QStringLiteral("2026-10-21 12:00:00"), QStringLiteral("2026-10-21 12:30:00"));
        // Into the next week: counted on the day it starts.
        add(m_editor, QStringLiteral("2026-10-25 23:30:00"), QStringLiteral("2026-10-26 00:30:00"));
        // Neighbouring weeks.
        add(m_editor, QStringLiteral("2026-10-18 23:00:00"), QStringLiteral("2026-10-19 00:10:00"));
        add(m_editor, QStringLiteral("2026-10-26 00:00:00"), QStringLiteral("2026-10-26 01:00:00"));
    }

    void cleanup() { m_db.reset(); }

    void weekStartsOnMonday()
    {
        QCOMPARE(WeekDays::weekStart(Monday), Monday);
        QCOMPARE(WeekDays::weekStart(Sunday), Monday);
        QCOMPARE(WeekDays::weekStart(QDate(2026, 10, 22)), Monday);
        // Across a year's end.
        QCOMPARE(WeekDays::weekStart(QDate(2027, 1, 1)), QDate(2026, 12, 28));
    }

    void daysAddUpByLinkState()
    {
        bool ok = false;
        const QList<DayFigures> days = WeekFigures::load(Monday, {}, &ok);
        QVERIFY(ok);
        QCOMPARE(days.size(), 7);
        for (int i = 0; i < days.size(); ++i) {
            QCOMPARE(days.at(i).date, Monday.addDays(i));
        }
        // recorded, linked, unlinked, away, to book
        QCOMPARE(seconds(days.at(0)), (QList<qint64>{6300, 1800, 3600, 900, 3600}));
        QCOMPARE(shares(days.at(0)),
                 (QStringList{QStringLiteral("linked 5 1800"), QStringLiteral("unlinked /usr/bin/editor 3600"),
                              QStringLiteral("away  900")}));
        QCOMPARE(seconds(days.at(1)), (QList<qint64>{1800, 1800, 0, 0, 1200}));
        QCOMPARE(shares(days.at(1)), (QStringList{QStringLiteral("linked 5 1200"), QStringLiteral("linked 6 600")}));
        QCOMPARE(seconds(days.at(2)), (QList<qint64>{1800, 0, 1800, 0, 1800}));
        QCOMPARE(seconds(days.at(3)), (QList<qint64>{0, 0, 0, 0, 0}));
        QVERIFY(days.at(3).shares.isEmpty());
        QCOMPARE(seconds(days.at(6)), (QList<qint64>{3600, 0, 3600, 0, 3600}));

        const DayFigures week = WeekDays::total(days);
        QCOMPARE(week.date, Monday);
        QCOMPARE(seconds(week), (QList<qint64>{13500, 3600, 9000, 900, 10200}));
    }

    void excludedApplicationsAreLeftOut()
    {
        const QList<DayFigures> days = WeekFigures::load(Monday, {QStringLiteral("/usr/bin/chat")});
        QCOMPARE(seconds(days.at(2)), (QList<qint64>{0, 0, 0, 0, 0}));
        QCOMPARE(WeekDays::total(days).recorded, 11700);
    }

    void clockChangesCountRealSeconds()
    {
        // Summer time ends at 03:00 CEST: from 01:30 CEST two real hours end at 02:30 CET, which the
        // stored text alone would read as one hour.
        const QDateTime start(Sunday, QTime(1, 30));
        qint64 id = 0;
        QVERIFY(EntryStore::insertEntry(QStringLiteral("night"), start, start.addSecs(7200), m_editor, &id).ok());
        // Summer time begins at 02:00: the stored 01:30 to 03:30 is one real hour.
        add(m_editor, QStringLiteral("2026-03-29 01:30:00"), QStringLiteral("2026-03-29 03:30:00"));

        QCOMPARE(WeekFigures::load(Monday, {}).at(6).unlinked, 3600 + 7200);
        QCOMPARE(WeekFigures::load(QDate(2026, 3, 23), {}).at(6).recorded, 3600);
    }

    void failedQueryIsToldApart()
    {
        QVERIFY(QSqlQuery().exec(QStringLiteral("DROP TABLE entries")));
        bool ok = true;
        const QList<DayFigures> days = WeekFigures::load(Monday, {}, &ok);
        QVERIFY(!ok);
        QCOMPARE(days.size(), 7);
        QCOMPARE(WeekDays::total(days).recorded, 0);
    }
};

QTEST_GUILESS_MAIN(TestWeekFigures)
#include "tst_weekfigures.moc"
