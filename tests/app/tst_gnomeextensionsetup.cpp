#include "gnomeextensionsetup.h"
#include "gnomeshellwindowsource.h"
#include "privatebus.h"
#include "recordingpresenter.h"
#include "settings.h"

#include <QAction>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

// Plays GNOME Shell for the installer: tells its version and records EnableExtension calls.
class FakeShell : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell")
    Q_PROPERTY(QString ShellVersion READ shellVersion)

public:
    QString version = QStringLiteral("44.2");
    QStringList enabled;
    QStringList disabled;
    QString shellVersion() const { return version; }
};

class FakeShellExtensions : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.Extensions")

public:
    explicit FakeShellExtensions(FakeShell *shell)
        : QDBusAbstractAdaptor(shell)
        , m_shell(shell)
    {}

public Q_SLOTS:
    bool EnableExtension(const QString &uuid) { return m_shell->enabled << uuid, true; }
    bool DisableExtension(const QString &uuid) { return m_shell->disabled << uuid, true; }

private:
    FakeShell *m_shell;
};

class TestGnomeExtensionSetup : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PrivateBus m_daemon;
    QDBusConnection m_bus{QString()};
    // The installer blocks on its calls: the shell answers from a thread of its own.
    QThread m_shellThread;
    FakeShell m_shell;

    QString installedFile(const QString &name) const
    {
        return m_dir.filePath(QStringLiteral("data/gnome-shell/extensions/%1/%2"))
            .arg(QLatin1String(GnomeShellExtension::Uuid), name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString address = m_daemon.start(m_dir.path());
        QVERIFY2(!address.isEmpty(), "dbus-daemon did not start");
        QDBusConnection shellBus = QDBusConnection::connectToBus(address, QStringLiteral("shell"));
        new FakeShellExtensions(&m_shell);
        QVERIFY(shellBus.registerObject(QStringLiteral("/org/gnome/Shell"), &m_shell,
                                        QDBusConnection::ExportAllProperties | QDBusConnection::ExportAdaptors));
        QVERIFY(shellBus.registerService(QStringLiteral("org.gnome.Shell")));
        m_shell.moveToThread(&m_shellThread);
        m_shellThread.start();
        m_bus = QDBusConnection::connectToBus(address, QStringLiteral("app"));
    }

    void cleanupTestCase()
    {
        m_shellThread.quit();
        m_shellThread.wait();
    }

    void asksOnceInstallsEnablesAndReplacesOldCopies()
    {
        RecordingPresenter presenter;
        QWidget window;
        Settings::instance()->values[QStringLiteral("GnomeExtensionOffered")] = false;
        GnomeExtensionSetup setup(m_bus, m_dir.filePath(QStringLiteral("data")), &window);

        // Declined at the first start: nothing installed, and not asked again.
        presenter.answerNext(MessageBox::No);
        setup.startUp();
        QCOMPARE(presenter.boxes().size(), 1);
        QCOMPARE(presenter.lastText(), GnomeExtensionSetup::consentText());
        QVERIFY(presenter.lastText().contains(QStringLiteral("next login")));
        QVERIFY(!QFile::exists(installedFile(QStringLiteral("extension.js"))));
        setup.startUp();
        QCOMPARE(presenter.boxes().size(), 1);

        // Later from the menu: the GNOME 43/44 flavour for this 44 shell, enabled, and the user told
        // that it loads at the next login.
        setup.action()->trigger();
        QCOMPARE(m_shell.enabled, QStringList{QLatin1String(GnomeShellExtension::Uuid)});
        QCOMPARE(presenter.lastText(), GnomeExtensionSetup::installedText());
        QFile script(installedFile(QStringLiteral("extension.js")));
        QVERIFY(script.open(QIODevice::ReadOnly) && script.readAll().contains("function init()"));
        script.close();

        // The shell was upgraded: the next start brings the ES module flavour without asking.
        m_shell.version = QStringLiteral("45.1");
        presenter.clear();
        setup.startUp();
        QVERIFY(presenter.boxes().isEmpty());
        QVERIFY(script.open(QIODevice::ReadOnly) && script.readAll().contains("export default class"));
    }

    // A user who installed the extension from an earlier version, under its earlier uuid.
    void earlierUuidIsReplacedWithTheConsentKept()
    {
        RecordingPresenter presenter;
        QTemporaryDir home;
        const QString extensions = home.filePath(QStringLiteral("gnome-shell/extensions/"));
        QVERIFY(QDir().mkpath(extensions));
        QCOMPARE(QProcess::execute(QStringLiteral("cp"),
                                   {QStringLiteral("-r"),
                                    qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/gnome-shell-earlier/") +
                                        QLatin1String(GnomeShellExtension::EarlierUuid),
                                    extensions}),
                 0);
        Settings::instance()->values[QStringLiteral("GnomeExtensionOffered")] = true;
        m_shell.enabled.clear();
        m_shell.version = QStringLiteral("44.2");
        GnomeExtensionSetup setup(m_bus, home.path(), nullptr);
        setup.startUp();

        // Not asked again: installed under the uuid of the app id, enabled, the earlier copy off and gone.
        QVERIFY(presenter.boxes().isEmpty());
        QCOMPARE(m_shell.enabled, QStringList{QLatin1String(GnomeShellExtension::Uuid)});
        QCOMPARE(m_shell.disabled, QStringList{QLatin1String(GnomeShellExtension::EarlierUuid)});
        QVERIFY(!QFile::exists(extensions + QLatin1String(GnomeShellExtension::EarlierUuid)));
        QFile metadata(extensions + QLatin1String(GnomeShellExtension::Uuid) + QStringLiteral("/metadata.json"));
        QVERIFY(metadata.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(metadata.readAll()).object().value(QStringLiteral("uuid")).toString(),
                 QLatin1String(GnomeShellExtension::Uuid));
        QFile script(extensions + QLatin1String(GnomeShellExtension::Uuid) + QStringLiteral("/extension.js"));
        QVERIFY(script.open(QIODevice::ReadOnly));
        QVERIFY(script.readAll().contains(GnomeShellWindowSource::ServiceName));
        QVERIFY(QString::fromLatin1(GnomeShellWindowSource::ServiceName).startsWith(BuildInfo::appId()));
    }

    void consentAtFirstStartInstalls()
    {
        RecordingPresenter presenter;
        QTemporaryDir home;
        Settings::instance()->values[QStringLiteral("GnomeExtensionOffered")] = false;
        GnomeExtensionSetup setup(m_bus, home.path(), nullptr);
        presenter.answerNext(MessageBox::Yes);
        setup.startUp();
        QCOMPARE(presenter.boxes().size(), 2);
        QCOMPARE(presenter.lastText(), GnomeExtensionSetup::installedText());
        QVERIFY(Settings::instance()->values.value(QStringLiteral("GnomeExtensionOffered")).toBool());
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("gnome-shell/extensions/%1/metadata.json"))
                                  .arg(QLatin1String(GnomeShellExtension::Uuid))));
    }
};

QTEST_MAIN(TestGnomeExtensionSetup)
#include "tst_gnomeextensionsetup.moc"
