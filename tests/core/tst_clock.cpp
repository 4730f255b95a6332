#include "clock.h"

#include <QTest>
#include <QTimeZone>

namespace {
class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime &now)
        : m_now(now)
    {}
    QDateTime now() const override { return m_now; }

private:
    QDateTime m_now;
};

// A local time given by its UTC instant: unambiguous in the hour the autumn change repeats.
QDateTime localAt(const QDate &date, const QTime &utc)
{
    return QDateTime(date, utc, Qt::UTC).toLocalTime();
}
} // namespace

// Runs in Europe/Berlin. A tick takes its local time and its epoch seconds from one reading; both must
// name the same instant, rounded as stored times are, on the days the clocks change too.
class TestClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void wholeSecondNow_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("local");
        QTest::addColumn<qint64>("secsSinceEpoch");
        const QDate spring(2026, 3, 29);
        const QDate autumn(2026, 10, 25);
        const qint64 autumnMidnightUtc = QDateTime(autumn, QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
        QTest::newRow("rounds down") << localAt(autumn, QTime(10, 0, 0, 499)) << "2026-10-25 11:00:00"
                                     << autumnMidnightUtc + 10 * 3600;
        QTest::newRow("rounds up across midnight")
            << localAt(QDate(2026, 12, 6), QTime(22, 59, 59, 500)) << "2026-12-07 00:00:00"
            << QDateTime(QDate(2026, 12, 6), QTime(23, 0), Qt::UTC).toSecsSinceEpoch();
        QTest::newRow("up into summer time") << localAt(spring, QTime(0, 59, 59, 600)) << "2026-03-29 03:00:00"
                                             << QDateTime(spring, QTime(1, 0), Qt::UTC).toSecsSinceEpoch();
        QTest::newRow("repeated hour, first time")
            << localAt(autumn, QTime(0, 30)) << "2026-10-25 02:30:00" << autumnMidnightUtc + 1800;
        QTest::newRow("repeated hour, second time")
            << localAt(autumn, QTime(1, 30, 0, 700)) << "2026-10-25 02:30:01" << autumnMidnightUtc + 3600 + 1801;
    }

    void wholeSecondNow()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, local);
        QFETCH(qint64, secsSinceEpoch);
        const WholeSecond tick = FixedClock(now).wholeSecondNow();
        QCOMPARE(tick.local.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")), local + QStringLiteral(".000"));
        QCOMPARE(tick.secsSinceEpoch, secsSinceEpoch);
        QCOMPARE(tick.local.toSecsSinceEpoch(), secsSinceEpoch);
    }

    // The system clock rounds before it converts: its local time must still be the zone's, to the second.
    void systemClockReadsTheSystemZone()
    {
        const QTimeZone berlin("Europe/Berlin");
        QVERIFY(berlin.isValid());
        for (int reading = 0; reading < 20; ++reading) {
            const qint64 before = (QDateTime::currentMSecsSinceEpoch() + 500) / 1000;
            const WholeSecond tick = SystemClock().wholeSecondNow();
            const qint64 after = (QDateTime::currentMSecsSinceEpoch() + 500) / 1000;
            QVERIFY(before <= tick.secsSinceEpoch && tick.secsSinceEpoch <= after);
            QCOMPARE(tick.local.timeSpec(), Qt::LocalTime);
            QCOMPARE(tick.local.toSecsSinceEpoch(), tick.secsSinceEpoch);
            QCOMPARE(tick.local.time().msec(), 0);
            QCOMPARE(tick.local.offsetFromUtc(), berlin.offsetFromUtc(tick.local));
            QTest::qWait(73);
        }
    }
};

QTEST_GUILESS_MAIN(TestClock)
#include "tst_clock.moc"
