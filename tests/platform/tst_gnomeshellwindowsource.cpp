#include "dbusidlesource.h"
#include "fallbackstandin.h"
#include "gnomeshellextension.h"
#include "gnomeshellwindowsource.h"
#include "recordingrig.h"
#include "settings.h"
#include "waylanddesktop.h"
#include "windowbackends.h"

#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

// One headless GNOME Shell 43 for the whole program (it takes seconds to start), with TavroDesk's
// extension installed the way the program installs it and a test helper that focuses windows.
class TestGnomeShellWindowSource : public QObject
{
    Q_OBJECT

private:
    WaylandDesktop m_desktop{WaylandDesktop::Compositor::GnomeShell};
    std::unique_ptr<GnomeShellWindowSource> m_source;
    std::unique_ptr<RecordingRig> m_rig;
    std::unique_ptr<DBusIdleSource> m_idle;
    QDateTime m_shellStarted;

    QDBusMessage shellCall(const QString &interfaceName, const QString &method, const QVariantList &arguments)
    {
        const bool test = interfaceName == QLatin1String("org.tavrodesk.TestFocus");
        QDBusMessage call = QDBusMessage::createMethodCall(test ? interfaceName : QStringLiteral("org.gnome.Shell"),
                                                           test ? QStringLiteral("/org/tavrodesk/TestFocus")
                                                                : QStringLiteral("/org/gnome/Shell"),
                                                           interfaceName, method);
        call.setArguments(arguments);
        return m_desktop.bus().call(call, QDBus::Block, 10000);
    }

    // Focuses the window titled `title` as a click would, once it exists.
    bool activate(const QString &title)
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            const QDBusMessage reply =
                shellCall(QStringLiteral("org.tavrodesk.TestFocus"), QStringLiteral("Activate"), {title});
            if (reply.arguments().value(0).toBool()) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    QString reportedTitle() { return m_source->sample().title; }

    QDBusMessage setExtensionEnabled(bool enabled)
    {
        return shellCall(QStringLiteral("org.gnome.Shell.Extensions"),
                         enabled ? QStringLiteral("EnableExtension") : QStringLiteral("DisableExtension"),
                         {QLatin1String(GnomeShellExtension::Uuid)});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_desktop.startBuses(&error), qPrintable(error));
        // Installed and enabled as the program does it for a GNOME 43 shell before the shell starts
        // (a running shell on Wayland would only load it at the next login).
        GnomeShellExtension extension(m_desktop.bus(), m_desktop.dataHome());
        QVERIFY2(extension.install(QStringLiteral("43.9"), &error), qPrintable(error));
        // This process reads the session's settings and data, as the program does in a session.
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", m_desktop.environment().value(QStringLiteral("XDG_CONFIG_HOME")).toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_desktop.dataHome().toLocal8Bit());
        QVERIFY2(extension.enable(&error), qPrintable(error));
        QCOMPARE(extension.state(), GnomeShellExtension::State::NextLogin);
        QVERIFY(QProcess::execute(QStringLiteral("cp"),
                                  {QStringLiteral("-r"),
                                   qEnvironmentVariable("TAVRO_PLATFORM_TEST_DATA") +
                                       QStringLiteral("/gnome-shell/test-focus@tavrodesk.org"),
                                   m_desktop.dataHome() + QStringLiteral("/gnome-shell/extensions/")}) == 0);
        m_shellStarted = QDateTime::currentDateTime();
        QVERIFY2(m_desktop.startCompositor(&error), qPrintable(error));
        // The shell takes its bus name before it serves its objects.
        QTRY_VERIFY_WITH_TIMEOUT(!extension.shellVersion().isEmpty(), 30000);
        QCOMPARE(extension.shellVersion().section(QLatin1Char('.'), 0, 0), QStringLiteral("43"));
        QVERIFY(!extension.isOutdated(extension.shellVersion()));
        // The test's focus helper, which the shell found at its start, is enabled through the shell.
        QVERIFY(shellCall(QStringLiteral("org.gnome.Shell.Extensions"), QStringLiteral("EnableExtension"),
                          {QStringLiteral("test-focus@tavrodesk.org")})
                    .arguments()
                    .value(0)
                    .toBool());

        m_source = std::make_unique<GnomeShellWindowSource>(m_desktop.bus(), std::make_unique<FallbackStandIn>());
        QTRY_VERIFY_WITH_TIMEOUT(m_source->isLive(), 20000);
        QVERIFY(m_source->note().isEmpty());
        m_idle = DBusIdleSource::mutter(m_desktop.bus());
        m_rig = std::make_unique<RecordingRig>(m_source.get(), m_idle.get());

        // Names come from the desktop entry of the Wayland app id: nothing names weston-terminal's
        // executable.
        QDir().mkpath(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications"));
        QFile entry(qEnvironmentVariable("XDG_DATA_HOME") +
                    QStringLiteral("/applications/org.freedesktop.weston.wayland-terminal.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Wayland Terminal\nExec=/nonexistent/terminal\n");
    }

    // As the program starts on GNOME: the session picks the extension and Mutter's idle monitor.
    void sessionChoosesTheShell()
    {
        m_desktop.joinSessionBus();
        QProcessEnvironment session = m_desktop.environment();
        session.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("ubuntu:GNOME"));
        QCOMPARE(createForegroundWindowSource(session)->description(), m_source->description());
        QCOMPARE(createIdleSource(session)->description(), m_idle->description());
    }

    void recordsSwitchesAndTitleChanges()
    {
        Settings::instance()->setValue(Setting::IdleEnabled, false);
        const auto notes = RecordingRig::startTerminal(m_desktop, QStringLiteral("Notes"), QStringLiteral("Notes 2"));
        const auto plans =
            RecordingRig::startTerminal(m_desktop, QStringLiteral("Plans"), QStringLiteral("Plans, revised"));
        QVERIFY(activate(QStringLiteral("Notes")));
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Notes"), 10000);

        m_rig->recorder().setRecording(true);
        QTest::qWait(2500);
        QVERIFY(activate(QStringLiteral("Plans")));
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Plans"), 10000);
        QTest::qWait(2500);
        QVERIFY(plans.retitle());
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Plans, revised"), 10000);
        QTest::qWait(2500);
        QVERIFY(activate(QStringLiteral("Notes")));
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Notes"), 10000);
        QTest::qWait(2500);
        m_rig->recorder().setRecording(false);

        const QList<RecordingRig::Row> rows = m_rig->rows();
        QStringList titles;
        for (const auto &row : rows) {
            titles << row.title;
            QCOMPARE(row.path, QStringLiteral("/usr/bin/weston-terminal"));
            QCOMPARE(row.name, QStringLiteral("Wayland Terminal"));
            // Every stretch was held for about 2.5 s and sampled once a second.
            const qint64 seconds = row.start.secsTo(row.end);
            QVERIFY2(seconds >= 1 && seconds <= 5, qPrintable(QString::number(seconds)));
        }
        QCOMPARE(titles, QStringList({QStringLiteral("Notes"), QStringLiteral("Plans"),
                                      QStringLiteral("Plans, revised"), QStringLiteral("Notes")}));
        for (int i = 1; i < rows.size(); ++i) {
            QCOMPARE(rows.at(i).start, rows.at(i - 1).end);
        }
        QVERIFY(qAbs(rows.constLast().end.secsTo(QDateTime::currentDateTime())) <= 2);
        m_desktop.stopClient(notes.process);
        m_desktop.stopClient(plans.process);
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QString(), 10000);
    }

    void impostorsAreIgnoredAndLogged()
    {
        const QString before = reportedTitle();
        QDBusConnection impostor = QDBusConnection::connectToBus(m_desktop.busAddress(), QStringLiteral("impostor"));
        QVERIFY(impostor.isConnected());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("dropped: sender is not GNOME Shell")));
        QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(GnomeShellWindowSource::ObjectPath),
                                                         QLatin1String(GnomeShellWindowSource::InterfaceName),
                                                         QStringLiteral("FocusChanged"));
        signal << QStringLiteral("Bank login") << QStringLiteral("evil") << 1u;
        QVERIFY(impostor.send(signal));
        QTest::qWait(500);
        QCOMPARE(reportedTitle(), before);

        // While the extension is off, someone else takes its name: not believed either.
        QVERIFY(setExtensionEnabled(false).type() == QDBusMessage::ReplyMessage);
        QTRY_VERIFY(!m_source->isLive());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("owns .* but is not GNOME Shell")));
        QVERIFY(impostor.registerService(QLatin1String(GnomeShellWindowSource::ServiceName)));
        QTest::qWait(500);
        QVERIFY(!m_source->isLive());
        impostor.unregisterService(QLatin1String(GnomeShellWindowSource::ServiceName));
        QDBusConnection::disconnectFromBus(QStringLiteral("impostor"));
    }

    void missingExtensionFallsBackWithNote()
    {
        QVERIFY(setExtensionEnabled(false).type() == QDBusMessage::ReplyMessage);
        QTRY_VERIFY(!m_source->isLive());
        QSignalSpy notes(m_source.get(), &ReportedWindowSource::noteChanged);
        QVERIFY(m_source->note().contains(QStringLiteral("XWayland")));
        QVERIFY2(m_source->note().contains(QStringLiteral("switched off")), qPrintable(m_source->note()));
        QCOMPARE(reportedTitle(), FallbackStandIn::title());

        QVERIFY(setExtensionEnabled(true).type() == QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(m_source->isLive(), 10000);
        QVERIFY(m_source->note().isEmpty());
        QCOMPARE(notes.size(), 1);
        QCOMPARE(reportedTitle(), QString()); // the shell's answer, not the fallback's window
    }

    void idleGrowsIntoAwayEntry()
    {
        Settings::instance()->setValue(Setting::IdleEnabled, true);
        Settings::instance()->setValue(Setting::IdleLimit, 1);
        const auto terminal = RecordingRig::startTerminal(m_desktop, QStringLiteral("Reading"), QString());
        QVERIFY(activate(QStringLiteral("Reading")));
        QTRY_COMPARE_WITH_TIMEOUT(reportedTitle(), QStringLiteral("Reading"), 10000);
        // Nobody has touched this shell since it started: its idle time is its age.
        const int idle = m_idle->idleSeconds();
        const qint64 age = m_shellStarted.secsTo(QDateTime::currentDateTime());
        QVERIFY2(idle > 0 && idle <= age + 1, qPrintable(QStringLiteral("%1 s idle, %2 s old").arg(idle).arg(age)));

        m_rig->recorder().setRecording(true);
        QTRY_VERIFY_WITH_TIMEOUT(m_rig->recorder().inIdle(), 90000);
        QCOMPARE(m_rig->recorder().currentWindow().path, QStringLiteral("tavro://idle"));
        QVERIFY(m_idle->idleSeconds() >= 60);
        m_rig->recorder().setRecording(false);
        const RecordingRig::Row away = m_rig->rows().constLast();
        QCOMPARE(away.path, QStringLiteral("tavro://idle"));
        QVERIFY(away.title.startsWith(QStringLiteral("at ")));
        m_desktop.stopClient(terminal.process);
    }

    void shellGoneFallsBack()
    {
        m_desktop.killCompositor();
        QTRY_VERIFY_WITH_TIMEOUT(!m_source->isLive(), 10000);
        QCOMPARE(reportedTitle(), FallbackStandIn::title());
        // No login brings a shell back that is not running: the note does not promise one.
        QTRY_VERIFY(m_source->note().startsWith(QStringLiteral("GNOME Shell is not running.")));
        QVERIFY2(!m_source->note().contains(QStringLiteral("login")), qPrintable(m_source->note()));
        QCOMPARE(m_idle->idleSeconds(), 0);
    }
};

QTEST_MAIN(TestGnomeShellWindowSource)
#include "tst_gnomeshellwindowsource.moc"
