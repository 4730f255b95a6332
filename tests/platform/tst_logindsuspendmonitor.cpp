#include "logindsuspendmonitor.h"
#include "xvfbsession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const char ChildMarker[] = "TAVRO_NO_BUS_CHILD";
const QString LoginService = QStringLiteral("org.freedesktop.login1");

QDBusMessage prepareForSleep(bool start)
{
    QDBusMessage message =
        QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
                                   QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
    message << start;
    return message;
}
} // namespace

class TestLogindSuspendMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void suspendAndResume();
    void logindStartsLater();
    void othersAreNotHeard();
    void noSystemBus();
    void noSystemBusChild();

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

void TestLogindSuspendMonitor::initTestCase()
{
    if (qEnvironmentVariableIsSet(ChildMarker)) {
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
        QSKIP("dbus-daemon is not installed");
    }
    QVERIFY(m_dir.isValid());
    XvfbSession::endWithTest(m_daemon);
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"),
                    QStringLiteral("--address=unix:path=") + m_dir.filePath(QStringLiteral("sysbus.sock")),
                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    QVERIFY(m_daemon.waitForStarted());
    QTRY_VERIFY(m_daemon.canReadLine() || (m_daemon.waitForReadyRead(50) && m_daemon.canReadLine()));
    m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    QVERIFY(!m_address.isEmpty());
    // Before the first use of the system bus: Qt reads the variable only once.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toLocal8Bit());
}

void TestLogindSuspendMonitor::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-logind"));
    QDBusConnection::disconnectFromBus(QStringLiteral("impostor"));
    QDBusConnection::disconnectFromBus(QStringLiteral("late-logind"));
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
}

void TestLogindSuspendMonitor::suspendAndResume()
{
    if (qEnvironmentVariableIsSet(ChildMarker)) {
        QSKIP("runs in the parent");
    }
    QDBusConnection logind = QDBusConnection::connectToBus(m_address, QStringLiteral("fake-logind"));
    QVERIFY(logind.isConnected());
    QVERIFY(logind.registerService(LoginService));
    LogindSuspendMonitor monitor;
    QVERIFY(monitor.isWatching());
    QSignalSpy suspending(&monitor, &SuspendMonitor::suspending);
    QSignalSpy resumed(&monitor, &SuspendMonitor::resumed);

    QVERIFY(logind.send(prepareForSleep(true)));
    QTRY_COMPARE(suspending.count(), 1);
    QCOMPARE(resumed.count(), 0);
    QVERIFY(logind.send(prepareForSleep(false)));
    QTRY_COMPARE(resumed.count(), 1);
    QCOMPARE(suspending.count(), 1);
}

void TestLogindSuspendMonitor::logindStartsLater()
{
    if (qEnvironmentVariableIsSet(ChildMarker)) {
        QSKIP("runs in the parent");
    }
    // Nobody owns the name while the monitor subscribes.
    QVERIFY(QDBusConnection(QStringLiteral("fake-logind")).unregisterService(LoginService));
    LogindSuspendMonitor monitor;
    QVERIFY(monitor.isWatching());
    QSignalSpy suspending(&monitor, &SuspendMonitor::suspending);
    QSignalSpy resumed(&monitor, &SuspendMonitor::resumed);
    QDBusConnection logind = QDBusConnection::connectToBus(m_address, QStringLiteral("late-logind"));
    QVERIFY(logind.registerService(LoginService));

    // Qt learns the new owner of the name asynchronously; a signal sent before that is dropped,
    // so keep announcing until one is heard.
    QTRY_VERIFY(logind.send(prepareForSleep(true)) && !suspending.isEmpty());
    QVERIFY(logind.send(prepareForSleep(false)));
    QTRY_COMPARE(resumed.count(), 1);
    QVERIFY(logind.unregisterService(LoginService));
}

void TestLogindSuspendMonitor::othersAreNotHeard()
{
    if (qEnvironmentVariableIsSet(ChildMarker)) {
        QSKIP("runs in the parent");
    }
    QDBusConnection logind = QDBusConnection::connectToBus(m_address, QStringLiteral("fake-logind"));
    QVERIFY(logind.registerService(LoginService));
    LogindSuspendMonitor monitor;
    QSignalSpy suspending(&monitor, &SuspendMonitor::suspending);
    QSignalSpy resumed(&monitor, &SuspendMonitor::resumed);
    QDBusConnection impostor = QDBusConnection::connectToBus(m_address, QStringLiteral("impostor"));
    QVERIFY(impostor.isConnected());

    QVERIFY(impostor.send(prepareForSleep(true)));
    // A round trip from the impostor: the bus has routed its signal before answering.
    QVERIFY(impostor.interface()->isServiceRegistered(LoginService).value());
    QVERIFY(logind.send(prepareForSleep(false)));
    QTRY_COMPARE(resumed.count(), 1);
    QCOMPARE(suspending.count(), 0);
}

void TestLogindSuspendMonitor::noSystemBus()
{
    if (qEnvironmentVariableIsSet(ChildMarker)) {
        QSKIP("runs in the parent");
    }
    // Qt connects to the system bus once per process, so the case without one runs in a child.
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(ChildMarker), QStringLiteral("1"));
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("missing.sock")));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("noSystemBusChild")});
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput() + child.readAllStandardError());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains(QLatin1String("PASS   : TestLogindSuspendMonitor::noSystemBusChild()")),
             qPrintable(output));
}

void TestLogindSuspendMonitor::noSystemBusChild()
{
    if (!qEnvironmentVariableIsSet(ChildMarker)) {
        QSKIP("runs in a child process started by noSystemBus");
    }
    QTest::ignoreMessage(QtInfoMsg, "no system bus: suspend and resume are not watched");
    LogindSuspendMonitor monitor;
    QVERIFY(!monitor.isWatching());
}

QTEST_GUILESS_MAIN(TestLogindSuspendMonitor)
#include "tst_logindsuspendmonitor.moc"
