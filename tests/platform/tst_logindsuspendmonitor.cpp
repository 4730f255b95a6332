#include "logindsuspendmonitor.h"
#include "xvfbsession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
const char ChildMarker[] = "TAVRO_NO_BUS_CHILD";
const QString LoginService = QStringLiteral("org.freedesktop.login1");

QDBusMessage prepareForSleep(bool start)
{
    return QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                      QStringLiteral("org.freedesktop.login1.Manager"),
                                      QStringLiteral("PrepareForSleep"))
           << start;
}
} // namespace

class TestLogindSuspendMonitor : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet(ChildMarker)) {
            // Qt connects to the system bus once per process, so the case without one runs in a child.
            QTest::ignoreMessage(QtInfoMsg, "no system bus: suspend and resume are not watched");
            QVERIFY(!LogindSuspendMonitor().isWatching());
            QSKIP("child without a system bus: done");
        }
        QVERIFY2(XvfbSession::haveProgram(QStringLiteral("dbus-daemon")), "dbus-daemon is not installed");
        XvfbSession::endWithTest(m_daemon);
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"),
                        QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("sysbus.sock")),
                        QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QTRY_VERIFY(m_daemon.canReadLine() || (m_daemon.waitForReadyRead(50) && m_daemon.canReadLine()));
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
        QVERIFY(!m_address.isEmpty());
        // Before the first use of the system bus: Qt reads the variable only once.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit());
    }

    void cleanupTestCase()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    void suspendAndResume_data()
    {
        QTest::addColumn<bool>("ownedFirst");
        QTest::newRow("logind running") << true;
        QTest::newRow("logind starts later") << false;
    }

    void suspendAndResume()
    {
        QFETCH(bool, ownedFirst);
        QDBusConnection logind = QDBusConnection::connectToBus(m_address, QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(!ownedFirst || logind.registerService(LoginService));
        LogindSuspendMonitor monitor;
        QVERIFY(monitor.isWatching());
        QSignalSpy suspending(&monitor, &SuspendMonitor::suspending);
        QSignalSpy resumed(&monitor, &SuspendMonitor::resumed);
        QVERIFY(ownedFirst || logind.registerService(LoginService));
        if (ownedFirst) {
            QVERIFY(logind.send(prepareForSleep(true)));
            QTRY_COMPARE(suspending.count(), 1);
            // Anybody else's announcement is ignored. The impostor's round trip makes the bus route its
            // signal first; the monitor then sees logind's two after it.
            QDBusConnection impostor = QDBusConnection::connectToBus(m_address, QStringLiteral("impostor"));
            QVERIFY(impostor.send(prepareForSleep(false)));
            QVERIFY(impostor.interface()->isServiceRegistered(LoginService).value());
            QVERIFY(logind.send(prepareForSleep(false)) && logind.send(prepareForSleep(true)));
            QTRY_COMPARE(suspending.count(), 2);
            QCOMPARE(resumed.count(), 1);
        } else {
            // Qt learns a new owner of the name asynchronously; a signal sent before that is dropped,
            // so keep announcing until one is heard.
            QTRY_VERIFY(logind.send(prepareForSleep(true)) && !suspending.isEmpty());
            QVERIFY(resumed.isEmpty() && logind.send(prepareForSleep(false)));
            QTRY_COMPARE(resumed.count(), 1);
        }
        QVERIFY(logind.unregisterService(LoginService));
    }

    void noSystemBus()
    {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildMarker), QStringLiteral("1"));
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("missing.sock")));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath());
        QVERIFY(child.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(child.readAllStandardOutput() + child.readAllStandardError());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(QLatin1String("initTestCase() child without")), qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestLogindSuspendMonitor)
#include "tst_logindsuspendmonitor.moc"
