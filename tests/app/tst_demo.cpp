#include "swaysession.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

// scripts/run-demo.sh as a developer runs it inside a Wayland session: the demo gets a runtime
// folder of its own, yet its window comes up on the session's compositor, named by a relative
// WAYLAND_DISPLAY as sessions do.
class TestDemo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowComesUpOnTheSessionsCompositor()
    {
        SwaySession sway;
        QString error;
        QVERIFY2(sway.start(&error), qPrintable(error));
        QVERIFY(!sway.waylandDisplay().startsWith(QLatin1Char('/')));

        QTemporaryDir demoDir;
        QProcessEnvironment env = sway.environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        env.insert(QStringLiteral("TAVRO_DEMO_DIR"), demoDir.path());
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.setProcessChannelMode(QProcess::ForwardedChannels);
        demo.start(QStringLiteral("bash"),
                   {QStringLiteral(TAVRO_SOURCE_DIR "/scripts/run-demo.sh"), QStringLiteral(TAVRO_BUILD_DIR)});
        QVERIFY(demo.waitForStarted());
        // The service and the program start from nothing: give them time on a loaded machine.
        bool shown = false;
        for (int attempt = 0; attempt < 6 && !shown && !demo.waitForFinished(100); ++attempt) {
            shown = sway.waitForTitle(QStringLiteral("TavroDesk"));
        }
        QVERIFY2(shown, qPrintable(QStringLiteral("demo ended with %1").arg(demo.exitCode())));

        // A second demo on the same folder refuses, and leaves the running one alone.
        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral("bash"),
                     {QStringLiteral(TAVRO_SOURCE_DIR "/scripts/run-demo.sh"), QStringLiteral(TAVRO_BUILD_DIR)});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("a demo is already running"));
        QCOMPARE(demo.state(), QProcess::Running);

        // The running instance's lock names its process: ended as a logout would.
        QFile lock(demoDir.filePath(QStringLiteral("run/tavrodesk.lock")));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        const qint64 pid = lock.readLine().trimmed().toLongLong();
        QVERIFY(pid > 0);
        ::kill(pid_t(pid), SIGTERM);
        QVERIFY(demo.waitForFinished(20000));
        QCOMPARE(demo.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDemo)
#include "tst_demo.moc"
