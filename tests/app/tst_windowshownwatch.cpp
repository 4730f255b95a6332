#include "windowshownwatch.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

// What the window's users hear as it is shown, closed to the tray and shown again.
class TestWindowShownWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheWindow_data()
    {
        QTest::addColumn<bool>("visibleAtStart");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("heard");
        QTest::newRow("started hidden") << false << QStringLiteral("show hide hide show show") << QStringLiteral("101");
        QTest::newRow("started shown") << true << QStringLiteral("show hide show") << QStringLiteral("01");
    }

    void followsTheWindow()
    {
        QFETCH(bool, visibleAtStart);
        QFETCH(QString, steps);
        QFETCH(QString, heard);
        QWidget window;
        window.setVisible(visibleAtStart);
        WindowShownWatch watch(&window);
        QCOMPARE(watch.isShown(), visibleAtStart);
        QSignalSpy changes(&watch, &WindowShownWatch::shownChanged);
        QString told;
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            window.setVisible(step == QLatin1String("show"));
            QCOMPARE(watch.isShown(), window.isVisible());
        }
        for (const QList<QVariant> &change : std::as_const(changes)) {
            told += change.at(0).toBool() ? QLatin1Char('1') : QLatin1Char('0');
        }
        QCOMPARE(told, heard);
    }
};

QTEST_MAIN(TestWindowShownWatch)
#include "tst_windowshownwatch.moc"
