#include "fakelogind.h"
#include "privatebus.h"
#include "recordingrig.h"
#include "sessionlock.h"
#include "swaysession.h"
#include "windowbackends.h"
#include "xvfbsession.h"

#include <QTest>

#include <functional>

// Locking the session on a real desktop, through the recording engine: the window's stretch ends
// when the lock begins and the away entry lasts exactly as long as the lock.
class TestLockRecording : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PrivateBus m_systemBus;
    QString m_system;

    // Records `title` for a while, locks, waits, unlocks and records on; checks the rows against the
    // moments the lock came and went.
    void lockAndUnlock(ForegroundWindowSource *windows, const QString &title, const std::function<void(bool)> &lock)
    {
        const std::unique_ptr<IdleSource> idle = createIdleSource(m_environment);
        const std::unique_ptr<SessionLock> sessionLock = createSessionLock(m_environment);
        RecordingRig rig(windows, idle.get());
        rig.recorder().setSessionLock(sessionLock.get());
        rig.recorder().setRecording(true);
        QTRY_COMPARE(rig.recorder().currentWindow().title, title);
        QTest::qWait(2000);

        const QDateTime locked = QDateTime::currentDateTime();
        lock(true);
        QTRY_VERIFY(sessionLock->isLocked());
        QTest::qWait(3000);
        const QDateTime unlocked = QDateTime::currentDateTime();
        lock(false);
        QTRY_VERIFY(!sessionLock->isLocked());
        QTest::qWait(1500);
        rig.recorder().flush();

        const QList<RecordingRig::Row> rows = rig.rows();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(QStringList({rows[0].title, rows[1].path, rows[2].title}),
                 QStringList({title, QStringLiteral("tavro://idle"), title}));
        QCOMPARE(rows[0].end, rows[1].start);
        QCOMPARE(rows[1].end, rows[2].start);
        // Whole seconds, rounded; the lock source answers within a few milliseconds.
        QVERIFY2(qAbs(rows[1].start.msecsTo(locked)) <= 1000, qPrintable(rows[1].start.toString()));
        QVERIFY2(qAbs(rows[1].end.msecsTo(unlocked)) <= 1000, qPrintable(rows[1].end.toString()));
    }

    QProcessEnvironment m_environment;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(XvfbSession::haveProgram(QStringLiteral("dbus-daemon")), "dbus-daemon is not installed");
        m_system = m_systemBus.start(m_dir.path());
        QVERIFY(!m_system.isEmpty());
        // Before the first use of the system bus: Qt reads the variable only once.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_system.toLocal8Bit());
    }

    // No D-Bus source runs: the X server's screen saver tells.
    void x11ScreenSaver()
    {
        XvfbSession session;
        QString error;
        QVERIFY2(session.start(true, &error), qPrintable(error));
        m_environment = QProcessEnvironment();
        m_environment.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(session.display()));
        const QString title = QStringLiteral("budget.ods");
        QVERIFY(session.startClient(QStringLiteral("xterm"), {QStringLiteral("-T"), title, QStringLiteral("-e"),
                                                              QStringLiteral("sleep"), QStringLiteral("600")}));
        const quint64 xterm = session.waitForWindow({QStringLiteral("--class"), QStringLiteral("xterm")});
        QVERIFY(xterm && session.activate(xterm));
        const std::unique_ptr<ForegroundWindowSource> windows = createForegroundWindowSource(m_environment);
        lockAndUnlock(windows.get(), title, [&session](bool on) {
            QVERIFY(session.run(QStringLiteral("xset"),
                                {QStringLiteral("s"), on ? QStringLiteral("activate") : QStringLiteral("reset")}));
        });
    }

    // A Wayland compositor whose session logind locks.
    void swayWithLogind()
    {
        SwaySession sway;
        QString error;
        QVERIFY2(sway.start(&error), qPrintable(error));
        m_environment = sway.environment(QProcessEnvironment());
        const QString title = QStringLiteral("minutes.txt");
        QVERIFY(sway.startFoot(title));
        QVERIFY(sway.waitForTitle(title));
        FakeLogind logind(m_system, QStringLiteral("logind"));
        QVERIFY(logind.isRunning());
        const std::unique_ptr<ForegroundWindowSource> windows = createForegroundWindowSource(m_environment);
        lockAndUnlock(windows.get(), title, [&logind](bool on) { logind.setLockedHint(on); });
    }
};

QTEST_MAIN(TestLockRecording)
#include "tst_lockrecording.moc"
