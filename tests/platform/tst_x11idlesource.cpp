#include "scopedenvironment.h"
#include "x11idlesource.h"
#include "xvfbsession.h"

#include <QTest>

class TestX11IdleSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void idleGrowsAndInputResetsIt();
    void unreachableDisplay();
};

void TestX11IdleSource::idleGrowsAndInputResetsIt()
{
    if (!XvfbSession::haveProgram(QStringLiteral("xdotool"))) {
        QSKIP("xdotool is not installed");
    }
    XvfbSession session;
    QString error;
    if (!session.start(false, &error)) {
        QSKIP(qPrintable(error));
    }
    auto source = X11IdleSource::connect(session.display());
    QVERIFY(source);
    {
        const ScopedEnvironment display("DISPLAY", session.display());
        QVERIFY(dynamic_cast<X11IdleSource *>(createIdleSource().get()));
    }

    QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 2, 10000);
    const QStringList moves[] = {{QStringLiteral("mousemove"), QStringLiteral("100"), QStringLiteral("100")},
                                 {QStringLiteral("key"), QStringLiteral("shift")}};
    for (const QStringList &move : moves) {
        QVERIFY(session.run(QStringLiteral("xdotool"), move));
        QVERIFY2(source->idleSeconds() < 2, qPrintable(move.join(QLatin1Char(' '))));
        QTRY_VERIFY_WITH_TIMEOUT(source->idleSeconds() >= 2, 10000);
    }
}

void TestX11IdleSource::unreachableDisplay()
{
    QVERIFY(!X11IdleSource::connect(":4711"));
}

QTEST_GUILESS_MAIN(TestX11IdleSource)
#include "tst_x11idlesource.moc"
