#include "dbusidleinhibition.h"
#include "fakelogind.h"
#include "fallbackstandin.h"
#include "idleinhibition.h"
#include "idlesource.h"
#include "privatebus.h"
#include "recordingrig.h"
#include "settings.h"

#include <QTest>

namespace {
// GNOME's session manager as far as idle inhibitors go.
class FakeSessionManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.SessionManager")

public:
    explicit FakeSessionManager(const QString &address)
        : m_bus(QDBusConnection::connectToBus(address, QStringLiteral("session-manager")))
    {
        m_running =
            m_bus.registerObject(QStringLiteral("/org/gnome/SessionManager"), this, QDBusConnection::ExportAllSlots) &&
            m_bus.registerService(QStringLiteral("org.gnome.SessionManager"));
    }
    ~FakeSessionManager() override { QDBusConnection::disconnectFromBus(m_bus.name()); }
    bool isRunning() const { return m_running; }
    // What is inhibited, as GNOME's flags (8: idle).
    uint flags = 0;

public Q_SLOTS:
    bool IsInhibited(uint asked) const { return (flags & asked) != 0; }

private:
    QDBusConnection m_bus;
    bool m_running = false;
};

class LongIdle : public IdleSource
{
public:
    int idleSeconds() override { return 3600; }
    QString description() const override { return QStringLiteral("an hour without input"); }
};
} // namespace

class TestIdleInhibition : public QObject
{
    Q_OBJECT

private:
    PrivateBuses m_buses;

    // A real inhibitor: systemd-inhibit holding `what` for as long as it runs.
    std::unique_ptr<QProcess> inhibit(const QString &what)
    {
        auto holder = std::make_unique<QProcess>();
        XvfbSession::endWithTest(*holder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_buses.system);
        holder->setProcessEnvironment(env);
        holder->start(QStringLiteral("systemd-inhibit"),
                      {QStringLiteral("--what=") + what, QStringLiteral("--who=slides"),
                       QStringLiteral("--why=presenting"), QStringLiteral("sleep"), QStringLiteral("600")});
        return holder;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char *program : {"dbus-daemon", "systemd-inhibit"}) {
            QVERIFY2(XvfbSession::haveProgram(QLatin1String(program)), program);
        }
        QVERIFY(m_buses.start());
    }

    void logindInhibitor_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("inhibited");
        QTest::newRow("idle") << QStringLiteral("idle") << true;
        QTest::newRow("idle among others") << QStringLiteral("sleep:idle") << true;
        QTest::newRow("sleep only") << QStringLiteral("sleep:shutdown") << false;
    }

    void logindInhibitor()
    {
        QFETCH(QString, what);
        QFETCH(bool, inhibited);
        FakeLogind logind(m_buses.system, QStringLiteral("logind"));
        QVERIFY(logind.isRunning());
        const std::unique_ptr<IdleInhibition> inhibition = createIdleInhibition();
        QCOMPARE(inhibition->description(), QStringLiteral("logind BlockInhibited"));
        const std::unique_ptr<QProcess> holder = inhibit(what);
        QTRY_COMPARE(logind.inhibitorCount(), 1);
        QTRY_COMPARE(inhibition->isInhibited(), inhibited);
        QTest::qWait(300);
        QCOMPARE(inhibition->isInhibited(), inhibited);
        // The holder ends: logind sees its end of the pipe close.
        holder->kill();
        QTRY_COMPARE(logind.inhibitorCount(), 0);
        QTRY_VERIFY(!inhibition->isInhibited());
    }

    void gnomeSessionManager()
    {
        FakeSessionManager manager(m_buses.session);
        QVERIFY(manager.isRunning());
        const std::unique_ptr<IdleInhibition> inhibition = createIdleInhibition();
        QCOMPARE(inhibition->description(), QStringLiteral("org.gnome.SessionManager"));
        // Inhibiting the log-out (1) or suspend (4) is not inhibiting idle (8).
        manager.flags = 1 | 4;
        QTest::qWait(300);
        QVERIFY(!inhibition->isInhibited());
        manager.flags = 8;
        QTRY_VERIFY(inhibition->isInhibited());
        manager.flags = 0;
        QTRY_VERIFY(!inhibition->isInhibited());
    }

    // Through the recording engine: an hour without input is no away time while the presentation
    // holds its inhibitor; once it is gone the user is away from then on, unless the setting says
    // inhibitors do not count.
    void recording_data()
    {
        QTest::addColumn<bool>("counted");
        QTest::newRow("inhibitors count") << true;
        QTest::newRow("setting off") << false;
    }

    void recording()
    {
        QFETCH(bool, counted);
        Settings::instance()->setValue(Setting::InhibitedIdleIsPresence, counted);
        FakeLogind logind(m_buses.system, QStringLiteral("logind"));
        const std::unique_ptr<QProcess> holder = inhibit(QStringLiteral("idle"));
        QTRY_COMPARE(logind.inhibitorCount(), 1);
        const std::unique_ptr<IdleInhibition> inhibition = createIdleInhibition();
        QTRY_VERIFY(inhibition->isInhibited());

        FallbackStandIn window;
        LongIdle idle;
        RecordingRig rig(&window, &idle);
        rig.recorder().setIdleInhibition(inhibition.get());
        rig.recorder().setRecording(true);
        QTest::qWait(2500);
        QCOMPARE(rig.recorder().inIdle(), !counted);
        if (!counted) {
            return;
        }
        const QDateTime released = QDateTime::currentDateTime();
        holder->kill();
        QTRY_VERIFY(rig.recorder().inIdle());
        rig.recorder().flush();
        const QList<RecordingRig::Row> rows = rig.rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(QStringList({rows[0].title, rows[1].path}),
                 QStringList({FallbackStandIn::title(), QStringLiteral("tavro://idle")}));
        QVERIFY(rows[0].start.secsTo(rows[0].end) >= 2);
        QVERIFY2(qAbs(rows[1].start.msecsTo(released)) <= 1500, qPrintable(rows[1].start.toString()));
    }
};

QTEST_MAIN(TestIdleInhibition)
#include "tst_idleinhibition.moc"
