#include "swaysession.h"
#include "windowbackends.h"

#include <QElapsedTimer>
#include <QTest>

// sway 1.7 offers org_kde_kwin_idle only; the source registers a short time-out there.
class TestWaylandIdleSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idleIsBackDatedAndInputResetsIt()
    {
        SwaySession sway;
        QString error;
        QVERIFY2(sway.start(&error), qPrintable(error));
        const std::unique_ptr<IdleSource> source = createIdleSource(sway.environment());
        QCOMPARE(source->description(), QStringLiteral("Wayland org_kde_kwin_idle"));
        QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 2, 10000);

        for (int round = 0; round < 2; ++round) {
            QVERIFY(sway.swaymsg({QStringLiteral("seat"), QStringLiteral("*"), QStringLiteral("cursor"),
                                  QStringLiteral("move"), QStringLiteral("5"), QStringLiteral("5")}));
            QElapsedTimer sinceInput;
            sinceInput.start();
            QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() == 0, 1000);
            // The compositor reports idleness only after the time-out; counted from the input, the
            // first whole idle second shows up about a second later, not two.
            QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 1, 5000);
            QVERIFY2(sinceInput.elapsed() < 1900, qPrintable(QString::number(sinceInput.elapsed())));
        }

        sway.stop();
        QTRY_COMPARE_WITH_TIMEOUT(source->idleSeconds(), 0, 5000);
    }
};

QTEST_GUILESS_MAIN(TestWaylandIdleSource)
#include "tst_waylandidlesource.moc"
