#include "gnomeshellextension.h"
#include "mainwindow.h"
#include "recordingpresenter.h"
#include "recordingrig.h"
#include "session.h"
#include "settings.h"
#include "settingsfile.h"
#include "waylanddesktop.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>

// A user's first two sessions on a real headless GNOME Shell 43, with TavroDesk's own window and
// start-up: at the first start the user agrees to the extension; after logging in again (a new
// shell) the native windows are recorded. Nothing of the extension is set up behind the program's back.
class TestGnomeLogin : public QObject
{
    Q_OBJECT

private:
    WaylandDesktop m_desktop{WaylandDesktop::Compositor::GnomeShell};
    RecordingPresenter m_presenter;

    QDBusMessage shellCall(const QString &service, const QString &path, const QString &interfaceName,
                           const QString &method, const QString &argument)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interfaceName, method);
        call << argument;
        return m_desktop.bus().call(call, QDBus::Block, 10000);
    }

    // The test helper focuses windows as a user's click would; the shell enables it through its own
    // interface, as GNOME's Extensions app does for an extension the shell knows.
    bool enableFocusHelper()
    {
        const QDBusMessage reply = shellCall(QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
                                             QStringLiteral("org.gnome.Shell.Extensions"),
                                             QStringLiteral("EnableExtension"), QLatin1String(FocusHelper));
        return reply.arguments().value(0).toBool();
    }

    bool activate(const QString &title)
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            const QDBusMessage reply =
                shellCall(QStringLiteral("org.tavrodesk.TestFocus"), QStringLiteral("/org/tavrodesk/TestFocus"),
                          QStringLiteral("org.tavrodesk.TestFocus"), QStringLiteral("Activate"), title);
            if (reply.arguments().value(0).toBool()) {
                return true;
            }
            QTest::qWait(50);
        }
        return false;
    }

    bool startShell()
    {
        QString error;
        if (!m_desktop.startCompositor(&error)) {
            qWarning().noquote() << error;
            return false;
        }
        // The shell takes its bus name before it serves its objects.
        GnomeShellExtension extension(m_desktop.bus(), m_desktop.dataHome());
        return QTest::qWaitFor([&] { return !extension.shellVersion().isEmpty(); }, 30000);
    }

    std::unique_ptr<MainWindow> login()
    {
        auto window = std::make_unique<MainWindow>();
        window->session()->setRetryInterval(0);
        window->setTrayAvailabilityCheck([] { return false; });
        return window;
    }

    static constexpr const char *FocusHelper = "test-focus@tavrodesk.org";

private Q_SLOTS:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_desktop.startBuses(&error), qPrintable(error));
        QVERIFY(QDir().mkpath(m_desktop.dataHome() + QStringLiteral("/gnome-shell/extensions")));
        QVERIFY(QProcess::execute(QStringLiteral("cp"),
                                  {QStringLiteral("-r"),
                                   qEnvironmentVariable("TAVRO_PLATFORM_TEST_DATA") + QStringLiteral("/gnome-shell/") +
                                       QLatin1String(FocusHelper),
                                   m_desktop.dataHome() + QStringLiteral("/gnome-shell/extensions/")}) == 0);
        QVERIFY2(startShell(), "GNOME Shell did not come up");

        // This process becomes a program of the GNOME session, before anything uses its bus.
        const QProcessEnvironment session = m_desktop.environment();
        for (const QString &name : session.keys()) {
            qputenv(name.toLocal8Bit().constData(), session.value(name).toLocal8Bit());
        }
        qunsetenv("DISPLAY");
        qputenv("XDG_CURRENT_DESKTOP", "GNOME");
        qputenv("XDG_SESSION_TYPE", "wayland");

        QVERIFY(SettingsFile::ensureDataFolder());
        QSettings ini(SettingsFile::iniPath(), QSettings::IniFormat);
        // Nothing listens there: the start-up goes offline at once without leaving the machine.
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
        ini.setValue(QStringLiteral("API/SslEnabled"), false);
    }

    void firstStartAsksAndEnables()
    {
        // The user's own extension, enabled before TavroDesk came.
        QVERIFY(enableFocusHelper());
        m_presenter.answerNext(MessageBox::Yes);
        auto window = login();
        QTRY_VERIFY(window->isInitialised());
        QCOMPARE(m_presenter.boxes().size(), 2);
        QVERIFY(m_presenter.boxes().constFirst().text.contains(QStringLiteral("Install and enable")));
        // The running shell had never seen the extension: the truth is "at the next login".
        QVERIFY2(m_presenter.lastText().contains(QStringLiteral("next login")), qPrintable(m_presenter.lastText()));
        QTRY_VERIFY2(window->statusBar()->currentMessage().contains(QStringLiteral("starts at the next login")),
                     qPrintable(window->statusBar()->currentMessage()));
        window.reset();
    }

    void nextLoginRecordsNativeWindows()
    {
        m_desktop.killCompositor();
        QVERIFY2(startShell(), "GNOME Shell did not come up again");
        m_presenter.clear();
        auto window = login();
        QTRY_VERIFY(window->isInitialised());
        QVERIFY(m_presenter.boxes().isEmpty());
        // The user's other extension was kept next to ours and came back with the new login.
        QTRY_VERIFY_WITH_TIMEOUT(
            m_desktop.bus().interface()->isServiceRegistered(QStringLiteral("org.tavrodesk.TestFocus")), 20000);

        const auto notes = RecordingRig::startTerminal(m_desktop, QStringLiteral("Notes"), QString());
        QVERIFY(activate(QStringLiteral("Notes")));
        QTest::qWait(3000);
        const auto plans = RecordingRig::startTerminal(m_desktop, QStringLiteral("Plans"), QString());
        QVERIFY(activate(QStringLiteral("Plans")));
        QTest::qWait(3000);
        window.reset(); // the open stretch is stored when the program ends
        m_desktop.stopClient(notes.process);
        m_desktop.stopClient(plans.process);

        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(SettingsFile::databasePath());
        QVERIFY(db.open());
        QSqlQuery query(QStringLiteral("SELECT e.title FROM entries e JOIN applications a ON a.id = e.application_id "
                                       "WHERE a.path = '/usr/bin/weston-terminal' ORDER BY e.id"),
                        db);
        QStringList titles;
        while (query.next()) {
            titles << query.value(0).toString();
        }
        // A terminal may show its own title for a moment before the test's.
        QVERIFY2(titles.contains(QStringLiteral("Notes")) &&
                     titles.indexOf(QStringLiteral("Notes")) < titles.indexOf(QStringLiteral("Plans")),
                 qPrintable(titles.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(TestGnomeLogin)
#include "tst_gnomelogin.moc"
