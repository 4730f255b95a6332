#include "foregroundwindow.h"
#include "idlesource.h"

#include <QTest>

class TestPlatformFallbacks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noDisplay_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("unset") << QByteArray();
        QTest::newRow("no server answers") << QByteArray(":4711");
    }

    void noDisplay()
    {
        QFETCH(QByteArray, display);
        display.isNull() ? qunsetenv("DISPLAY") : qputenv("DISPLAY", display);
        auto source = createForegroundWindowSource();
        QVERIFY(!source->isAvailable());
        QVERIFY(source->problem().contains(QLatin1String("No X11 display")));
        QVERIFY(source->sample().window == 0 && source->sample().path.isEmpty());
        QCOMPARE(createIdleSource()->idleSeconds(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPlatformFallbacks)
#include "tst_platformfallbacks.moc"
