#include "x11idlesource.h"
#include "xvfbsession.h"

#include <QTest>

class TestX11IdleSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idleGrowsAndInputResetsIt()
    {
        XvfbSession session;
        QString error;
        QVERIFY2(XvfbSession::haveProgram(QStringLiteral("xdotool")), "xdotool is not installed");
        QVERIFY2(session.start(false, &error), qPrintable(error));
        qputenv("DISPLAY", session.display());
        const std::unique_ptr<IdleSource> source = createIdleSource();
        QVERIFY(dynamic_cast<X11IdleSource *>(source.get()));
        QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 2, 10000);
        for (const char *input : {"mousemove 100 100", "key shift"}) {
            QVERIFY(session.run(QStringLiteral("xdotool"), QString::fromLatin1(input).split(QLatin1Char(' '))));
            QVERIFY2(source->idleSeconds() < 2, input);
            QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 2, 10000);
        }
    }
};

QTEST_GUILESS_MAIN(TestX11IdleSource)
#include "tst_x11idlesource.moc"
