#include "gnomeextensionsetup.h"
#include "gnomeshellsettings.h"
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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWidget>

// Plays a GNOME Shell that started before the extension was installed: tells its version, refuses
// to enable what it has not discovered (as GNOME Shell 43 does) and knows nothing about it.
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
    bool EnableExtension(const QString &uuid) { return m_shell->enabled << uuid, false; }
    bool DisableExtension(const QString &uuid) { return m_shell->disabled << uuid, true; }
    QVariantMap GetExtensionInfo(const QString &) { return {}; }

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

    // GNOME's settings as GNOME itself reads them.
    static QString gsetting(const QString &key)
    {
        QProcess gsettings;
        gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("get"), QStringLiteral("org.gnome.shell"), key});
        gsettings.waitForFinished(10000);
        return QString::fromUtf8(gsettings.readAllStandardOutput()).trimmed();
    }

    static bool setGSetting(const QString &key, const QString &value)
    {
        return QProcess::execute(QStringLiteral("gsettings"),
                                 {QStringLiteral("set"), QStringLiteral("org.gnome.shell"), key, value}) == 0;
    }

    QString installedFile(const QString &name) const
    {
        return m_dir.filePath(QStringLiteral("data/gnome-shell/extensions/%1/%2"))
            .arg(QLatin1String(GnomeShellExtension::Uuid), name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // GNOME's settings in a file of a configuration folder of this run's own.
        qputenv("GSETTINGS_BACKEND", "keyfile");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
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
        Settings::instance()->setValue(Setting::GnomeExtensionOffered, false);
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

        // Later from the menu: the GNOME 43/44 flavour for this 44 shell. The running shell has not
        // seen it and says no, so it goes into GNOME's settings next to the user's own extensions,
        // and the user is told that it loads at the next login.
        QVERIFY(setGSetting(QStringLiteral("enabled-extensions"), QStringLiteral("['clock@example.org']")));
        QTRY_VERIFY(GnomeShellSettings::isEnabled(QStringLiteral("clock@example.org")));
        QSignalSpy changed(&setup, &GnomeExtensionSetup::extensionChanged);
        setup.action()->trigger();
        QCOMPARE(m_shell.enabled, QStringList{QLatin1String(GnomeShellExtension::Uuid)});
        QCOMPARE(gsetting(QStringLiteral("enabled-extensions")),
                 QStringLiteral("['clock@example.org', '%1']").arg(QLatin1String(GnomeShellExtension::Uuid)));
        QCOMPARE(presenter.lastText(), GnomeExtensionSetup::installedText(GnomeShellExtension::State::NextLogin));
        QVERIFY(presenter.lastText().contains(QStringLiteral("next login")));
        QCOMPARE(changed.size(), 1);
        QFile script(installedFile(QStringLiteral("extension.js")));
        QVERIFY(script.open(QIODevice::ReadOnly) && script.readAll().contains("function init()"));
        script.close();

        // The shell was upgraded: the next start brings the ES module flavour without asking.
        m_shell.version = QStringLiteral("45.1");
        presenter.clear();
        setup.startUp();
        QVERIFY(presenter.boxes().isEmpty());
        QVERIFY(script.open(QIODevice::ReadOnly) && script.readAll().contains("export default class"));

        // Switched off in GNOME's Extensions app: the next start enables it again, as agreed.
        QVERIFY(setGSetting(QStringLiteral("disabled-extensions"),
                            QStringLiteral("['%1']").arg(QLatin1String(GnomeShellExtension::Uuid))));
        QTRY_VERIFY(!GnomeShellSettings::isEnabled(QLatin1String(GnomeShellExtension::Uuid)));
        setup.startUp();
        QVERIFY(presenter.boxes().isEmpty());
        QCOMPARE(gsetting(QStringLiteral("disabled-extensions")), QStringLiteral("@as []"));
        QVERIFY(gsetting(QStringLiteral("enabled-extensions")).contains(QLatin1String(GnomeShellExtension::Uuid)));
    }

    // GNOME's "extensions off" switch is the user's: it stays off, and the user hears why nothing changes.
    void userExtensionsOffIsRespectedAndSaid()
    {
        RecordingPresenter presenter;
        QTemporaryDir home;
        QVERIFY(setGSetting(QStringLiteral("disable-user-extensions"), QStringLiteral("true")));
        QTRY_VERIFY(GnomeShellSettings::userExtensionsDisabled());
        GnomeExtensionSetup setup(m_bus, home.path(), nullptr);
        QVERIFY(setup.install());
        QCOMPARE(presenter.lastText(),
                 GnomeExtensionSetup::installedText(GnomeShellExtension::State::UserExtensionsOff));
        QCOMPARE(gsetting(QStringLiteral("disable-user-extensions")), QStringLiteral("true"));
        QVERIFY(setGSetting(QStringLiteral("disable-user-extensions"), QStringLiteral("false")));
        QTRY_VERIFY(!GnomeShellSettings::userExtensionsDisabled());
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
        Settings::instance()->setValue(Setting::GnomeExtensionOffered, true);
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
        Settings::instance()->setValue(Setting::GnomeExtensionOffered, false);
        GnomeExtensionSetup setup(m_bus, home.path(), nullptr);
        presenter.answerNext(MessageBox::Yes);
        setup.startUp();
        QCOMPARE(presenter.boxes().size(), 2);
        QCOMPARE(presenter.lastText(), GnomeExtensionSetup::installedText(GnomeShellExtension::State::NextLogin));
        QVERIFY(Settings::instance()->value(Setting::GnomeExtensionOffered));
        QVERIFY(QFile::exists(home.filePath(QStringLiteral("gnome-shell/extensions/%1/metadata.json"))
                                  .arg(QLatin1String(GnomeShellExtension::Uuid))));
    }
};

QTEST_MAIN(TestGnomeExtensionSetup)
#include "tst_gnomeextensionsetup.moc"
