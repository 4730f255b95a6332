#include "fakelogind.h"
#include "logindsessionlock.h"
#include "privatebus.h"
#include "sessionlock.h"
#include "x11sessionlock.h"
#include "xvfbsession.h"

#include <QDBusConnectionInterface>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
// GNOME's screen saver interface as the shell offers it.
class FakeGnomeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.ScreenSaver")

public:
    FakeGnomeScreenSaver(const QString &address, bool active)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("gnome-screensaver")))
        , m_active(active)
    {
        m_running = m_bus.registerObject(QStringLiteral("/org/gnome/ScreenSaver"), this,
                                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
                    m_bus.registerService(QStringLiteral("org.gnome.ScreenSaver"));
    }
    ~FakeGnomeScreenSaver() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool isRunning() const { return m_running; }
    void setActive(bool active) { Q_EMIT ActiveChanged(m_active = active); }

public Q_SLOTS:
    bool GetActive() const { return m_active; }

Q_SIGNALS:
    void ActiveChanged(bool active);

private:
    QDBusConnection m_bus;
    bool m_active;
    bool m_running = false;
};

// Sends `signal` of the session interface from a connection that is not logind.
bool sendAsImpostor(const QString &address, const QString &signal)
{
    QDBusConnection impostor = QDBusConnection::connectToBus(address, QStringLiteral("impostor"));
    const bool sent = impostor.send(QDBusMessage::createSignal(
        FakeLogind::sessionPath(), QStringLiteral("org.freedesktop.login1.Session"), signal));
    // The round trip makes the bus route the impostor's signal before anything sent after it.
    return sent && impostor.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.login1")).value();
}
} // namespace

class TestSessionLock : public QObject
{
    Q_OBJECT

private:
    PrivateBuses m_buses;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(XvfbSession::haveProgram(QStringLiteral("dbus-daemon")), "dbus-daemon is not installed");
        QVERIFY(m_buses.start());
    }

    void logind_data()
    {
        QTest::addColumn<bool>("byHint");
        QTest::newRow("the locker's LockedHint") << true;
        QTest::newRow("logind's Lock and Unlock") << false;
    }

    void logind()
    {
        QFETCH(bool, byHint);
        FakeLogind logind(m_buses.system, QStringLiteral("logind"));
        QVERIFY(logind.isRunning());
        LogindSessionLock lock(QDBusConnection::systemBus(), QStringLiteral("auto"));
        QTRY_COMPARE(lock.sessionPath(), FakeLogind::sessionPath());
        QSignalSpy changes(&lock, &SessionLock::lockedChanged);
        byHint ? logind.setLockedHint(true) : logind.sendLock();
        QTRY_VERIFY(lock.isLocked());
        // Only logind speaks for the session.
        QVERIFY(sendAsImpostor(m_buses.system, QStringLiteral("Unlock")));
        byHint ? logind.setLockedHint(false) : logind.sendUnlock();
        QTRY_VERIFY(!lock.isLocked());
        QCOMPARE(changes.count(), 2);
    }

    void logindLockedAtStart()
    {
        FakeLogind logind(m_buses.system, QStringLiteral("logind"));
        logind.setLockedHint(true);
        LogindSessionLock lock(QDBusConnection::systemBus(), QStringLiteral("7"));
        QTRY_VERIFY(lock.isLocked());
    }

    // Every D-Bus source that runs is watched; the session counts as locked while any says so.
    void chosenAtStart()
    {
        FakeLogind logind(m_buses.system, QStringLiteral("logind"));
        FakeGnomeScreenSaver saver(m_buses.session, true);
        QVERIFY(logind.isRunning() && saver.isRunning());
        QProcessEnvironment env;
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
        const std::unique_ptr<SessionLock> lock = createSessionLock(env);
        QCOMPARE(lock->description(), QStringLiteral("logind session, org.gnome.ScreenSaver"));
        QTRY_VERIFY(lock->isLocked());
        logind.setLockedHint(true);
        saver.setActive(false);
        QTest::qWait(200);
        QVERIFY(lock->isLocked());
        logind.setLockedHint(false);
        QTRY_VERIFY(!lock->isLocked());
        saver.setActive(true);
        QTRY_VERIFY(lock->isLocked());
    }

    void x11ScreenSaver()
    {
        XvfbSession session;
        QString error;
        QVERIFY2(XvfbSession::haveProgram(QStringLiteral("xset")), "xset is not installed");
        QVERIFY2(session.start(false, &error), qPrintable(error));
        const std::unique_ptr<X11SessionLock> lock = X11SessionLock::connect(session.display());
        QVERIFY(lock);
        QVERIFY(!lock->isLocked());
        QVERIFY(session.run(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("activate")}));
        QTRY_VERIFY(lock->isLocked());
        QVERIFY(session.run(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("reset")}));
        QTRY_VERIFY(!lock->isLocked());
        // A saver that is on when we start counts from the start.
        QVERIFY(session.run(QStringLiteral("xset"), {QStringLiteral("s"), QStringLiteral("activate")}));
        QVERIFY(X11SessionLock::connect(session.display())->isLocked());
    }
};

QTEST_GUILESS_MAIN(TestSessionLock)
#include "tst_sessionlock.moc"
