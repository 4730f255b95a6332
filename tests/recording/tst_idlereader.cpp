#include "idlereader.h"
#include "idlesource.h"

#include <QDateTime>
#include <QTest>

#include <cmath>

namespace {
const QDateTime Start(QDate(2026, 12, 7), QTime(9, 0, 0));

// The display's idle counter: milliseconds since the last input, read in whole seconds.
class CountingIdleSource : public IdleSource
{
public:
    int idleSeconds() override
    {
        ++reads;
        return int(std::floor(now - lastInput));
    }
    QString description() const override { return QStringLiteral("counting"); }

    double now = 0;
    double lastInput = 0;
    int reads = 0;
};
} // namespace

// Ticks fall 50 ms before a whole second and are stamped with the rounded second, as the recorder
// times and stamps them; late ones fall anywhere within half a second of it. Whatever the reader leaves unread, it must
// tell idle time at or beyond the limit on exactly the ticks the source itself would.
class TestIdleReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void awayOnTheSameTicks_data()
    {
        QTest::addColumn<int>("ticks");
        // Ticks just before which the user touches keyboard or mouse.
        QTest::addColumn<QList<int>>("inputs");
        QTest::addColumn<int>("limit");
        // From this tick on, `laterLimit` holds (the user changed the setting).
        QTest::addColumn<int>("limitChangesAt");
        QTest::addColumn<int>("laterLimit");
        // From this tick on, the wall clock reads an hour earlier.
        QTest::addColumn<int>("clockBackAt");
        QTest::addColumn<bool>("late");
        QTest::addColumn<int>("reads");

        QList<int> everyTenSeconds;
        for (int tick = 0; tick < 900; tick += 10) {
            everyTenSeconds << tick;
        }
        QTest::newRow("at work") << 900 << everyTenSeconds << 300 << -1 << 0 << -1 << false << 4;
        // Read once at the start, twice just before the limit, then every tick while away.
        QTest::newRow("walks away") << 400 << QList<int>{0} << 300 << -1 << 0 << -1 << false << 103;
        QTest::newRow("comes back") << 400 << QList<int>{0, 350} << 300 << -1 << 0 << -1 << false << 54;
        QTest::newRow("limit lowered while idle") << 200 << QList<int>{0} << 300 << 100 << 60 << -1 << false << 101;
        QTest::newRow("limit raised while away") << 200 << QList<int>{0} << 60 << 100 << 300 << -1 << false << 43;
        QTest::newRow("clock set back") << 100 << QList<int>{0} << 300 << -1 << 0 << 50 << false << 2;
        // Early and late ticks in turn: the stamps hide up to a second of the time between them.
        QTest::newRow("walks away, ticks early and late")
            << 400 << QList<int>{0} << 300 << -1 << 0 << -1 << true << 103;
        QTest::newRow("no limit") << 10 << QList<int>{0} << 0 << -1 << 0 << -1 << false << 10;
    }

    void awayOnTheSameTicks()
    {
        QFETCH(int, ticks);
        QFETCH(QList<int>, inputs);
        QFETCH(int, limit);
        QFETCH(int, limitChangesAt);
        QFETCH(int, laterLimit);
        QFETCH(int, clockBackAt);
        QFETCH(bool, late);
        QFETCH(int, reads);

        CountingIdleSource source;
        IdleReader reader(&source);
        for (int tick = 0; tick < ticks; ++tick) {
            source.now = late ? tick + (tick % 2 == 0 ? 0.55 : 1.45) : tick + 0.95;
            if (inputs.contains(tick)) {
                source.lastInput = source.now - 0.3;
            }
            const int tickLimit = limitChangesAt >= 0 && tick >= limitChangesAt ? laterLimit : limit;
            const QDateTime stamp = Start.addSecs(tick + 1 - (clockBackAt >= 0 && tick >= clockBackAt ? 3600 : 0));
            const bool away = std::floor(source.now - source.lastInput) >= tickLimit;
            QVERIFY2((reader.idleSeconds(stamp.toSecsSinceEpoch(), tickLimit) >= tickLimit) == away,
                     qPrintable(QString::number(tick)));
        }
        QCOMPARE(source.reads, reads);
    }
};

QTEST_GUILESS_MAIN(TestIdleReader)
#include "tst_idlereader.moc"
