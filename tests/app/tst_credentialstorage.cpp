#include "credentialstorage.h"
#include "keychainsecretstore.h"
#include "settings.h"
#include "settingsfile.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The password and the session token against a real gnome-keyring-daemon on a private session bus
// that cannot start one by itself. The cases run in order: without a keyring, then with one, then
// with a locked one.
class TestCredentialStorage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_bus;
    std::unique_ptr<QProcess> m_keyring;
    QString m_ini;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), path(QStringLiteral("run")));
        return env;
    }

    void startKeyring()
    {
        m_keyring = std::make_unique<QProcess>();
        m_keyring->setProcessEnvironment(environment());
        m_keyring->start(
            QStringLiteral("gnome-keyring-daemon"),
            {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        QVERIFY2(m_keyring->waitForStarted(5000), "gnome-keyring-daemon (package gnome-keyring) did not start");
        m_keyring->write("keyring-password");
        m_keyring->closeWriteChannel();
        QTRY_VERIFY_WITH_TIMEOUT(
            QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")),
            10000);
    }

    // What another program finds in the keyring under our service name.
    QString lookup(const QString &key) const
    {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(QStringLiteral("secret-tool"), {QStringLiteral("lookup"), QStringLiteral("server"),
                                                   QStringLiteral("TavroDesk"), QStringLiteral("user"), key});
        if (!tool.waitForFinished(5000)) {
            qWarning("secret-tool (package libsecret-tools) did not run");
        }
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    void writeIni(const QString &password, const QString &token)
    {
        QFile::remove(m_ini);
        QSettings ini(m_ini, QSettings::IniFormat);
        ini.setValue(QStringLiteral("API/Username"), QStringLiteral("ann@example.com"));
        ini.setValue(QStringLiteral("API/Password"), SettingsFile::encodePassword(password));
        ini.setValue(QStringLiteral("API/AuthToken"), token);
    }

    // A start of the program as far as the secrets go: fresh keyring client, ini loaded.
    struct Start
    {
        KeychainSecretStore keyring{QStringLiteral("TavroDesk")};
        CredentialStorage storage{&keyring};
        Settings settings;
        // The load was through before it returned, without waiting for an answer.
        bool loadedAtOnce = false;
    };
    std::unique_ptr<Start> start(QSettings &ini)
    {
        auto run = std::make_unique<Start>();
        SettingsFile::load(ini, run->settings);
        bool loaded = false;
        run->storage.load(ini, run->settings, [&loaded] { loaded = true; });
        run->loadedAtOnce = loaded;
        // The keyring answers in its own time, never beyond its time-out.
        [&] { QTRY_VERIFY_WITH_TIMEOUT(loaded, KeychainSecretStore::TimeoutMs + 1000); }();
        return run;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("data"))));
        QVERIFY(QDir().mkpath(path(QStringLiteral("run"))));
        QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_ini = path(QStringLiteral("tavrodesk.ini"));
        // No service directories: nothing answers for the Secret Service unless this test starts it.
        QFile config(path(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                     "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                     "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                     "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                     "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config.fileName(),
                                                    QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY2(m_bus.waitForStarted(5000), "dbus-daemon did not start");
        QTRY_VERIFY(m_bus.canReadLine());
        const QByteArray address = m_bus.readLine().trimmed();
        // Set before the first D-Bus use of this process: the connection is made once.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", path(QStringLiteral("run")).toLocal8Bit());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
    }

    void cleanupTestCase()
    {
        if (m_keyring && m_keyring->state() == QProcess::Running) {
            m_keyring->kill();
            m_keyring->waitForFinished(5000);
        }
        m_bus.kill();
        m_bus.waitForFinished(5000);
    }

    void withoutKeyringTheIniKeepsThem()
    {
        writeIni(QString::fromUtf8("pässwort"), QStringLiteral("tok-1"));
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        QVERIFY(!run->storage.keyringInUse());
        QCOMPARE(run->settings.value(Setting::Password), QString::fromUtf8("pässwort"));
        QCOMPARE(run->settings.value(Setting::AuthToken), QStringLiteral("tok-1"));
        SettingsFile::save(ini, run->settings, {}, !run->storage.store(run->settings));
        QSettings reread(m_ini, QSettings::IniFormat);
        // The keyring did not take them when first asked: that is remembered, and said.
        QCOMPARE(reread.value(QStringLiteral("API/Keyring")).toString(), QStringLiteral("refused"));
        QVERIFY(run->storage.note().contains(QStringLiteral("No keyring")));
        QCOMPARE(SettingsFile::decodePassword(reread.value(QStringLiteral("API/Password")).toString()),
                 QString::fromUtf8("pässwort"));
        QCOMPARE(reread.value(QStringLiteral("API/AuthToken")).toString(), QStringLiteral("tok-1"));
    }

    // A refused keyring stays unasked, even once one answers; the ini keeps the secrets.
    void aRefusalIsRemembered()
    {
        startKeyring();
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        SettingsFile::save(ini, run->settings, {}, !run->storage.store(run->settings));
        QVERIFY(!run->storage.keyringInUse());
        QCOMPARE(lookup(QStringLiteral("Password")), QString());
        QSettings reread(m_ini, QSettings::IniFormat);
        QCOMPARE(SettingsFile::decodePassword(reread.value(QStringLiteral("API/Password")).toString()),
                 QString::fromUtf8("pässwort"));
    }

    void movesThemFromTheIniIntoTheKeyring()
    {
        // A user who never refused: the first save asks the keyring and moves the secrets there.
        writeIni(QString::fromUtf8("pässwort"), QStringLiteral("tok-1"));
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        QVERIFY(!run->storage.keyringInUse());
        SettingsFile::save(ini, run->settings, {}, !run->storage.store(run->settings));
        QVERIFY(run->storage.keyringInUse());
        QVERIFY(run->storage.note().isEmpty());
        QCOMPARE(run->settings.value(Setting::Password), QString::fromUtf8("pässwort"));
        QCOMPARE(run->settings.value(Setting::AuthToken), QStringLiteral("tok-1"));
        QCOMPARE(lookup(QStringLiteral("Password")), QString::fromUtf8("pässwort"));
        QCOMPARE(lookup(QStringLiteral("AuthToken")), QStringLiteral("tok-1"));
        QSettings reread(m_ini, QSettings::IniFormat);
        QVERIFY(!reread.contains(QStringLiteral("API/Password")));
        QVERIFY(!reread.contains(QStringLiteral("API/AuthToken")));
        QCOMPARE(reread.value(QStringLiteral("API/Username")).toString(), QStringLiteral("ann@example.com"));
    }

    void storesAndReadsBackAfterRestart()
    {
        {
            QSettings ini(m_ini, QSettings::IniFormat);
            auto run = start(ini);
            run->settings.setValue(Setting::Password, QStringLiteral("new secret"));
            run->settings.setValue(Setting::AuthToken, QStringLiteral("tok-2"));
            const bool inKeyring = run->storage.store(run->settings);
            QVERIFY(inKeyring);
            SettingsFile::save(ini, run->settings, {}, !inKeyring);
        }
        QFile file(m_ini);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(!text.contains("Password") && !text.contains("tok-2"));
        QVERIFY(!text.contains(QStringLiteral("new secret").toUtf8().toBase64()));

        // The program starts again: the keyring brings the secrets back, answering while the
        // program goes on.
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        QVERIFY(!run->loadedAtOnce);
        QVERIFY(run->storage.keyringInUse());
        QCOMPARE(run->settings.value(Setting::Password), QStringLiteral("new secret"));
        QCOMPARE(run->settings.value(Setting::AuthToken), QStringLiteral("tok-2"));
    }

    void forgetRemovesThemEverywhere()
    {
        writeIni(QStringLiteral("old"), QString());
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        QCOMPARE(lookup(QStringLiteral("AuthToken")), QStringLiteral("tok-2"));
        ini.setValue(QStringLiteral("API/AuthToken"), QStringLiteral("left behind"));
        run->storage.forget(ini);
        QCOMPARE(lookup(QStringLiteral("Password")), QString());
        QCOMPARE(lookup(QStringLiteral("AuthToken")), QString());
        QSettings reread(m_ini, QSettings::IniFormat);
        QVERIFY(!reread.contains(QStringLiteral("API/Password")));
        QVERIFY(!reread.contains(QStringLiteral("API/AuthToken")));
        auto again = start(reread);
        QCOMPARE(again->settings.value(Setting::Password), QString());
    }

    void aRefusingKeyringLosesNothing()
    {
        // A program that found the keyring working when it started...
        writeIni(QString(), QString());
        QSettings earlierIni(m_ini, QSettings::IniFormat);
        earlierIni.setValue(QStringLiteral("API/Keyring"), QStringLiteral("used"));
        auto earlier = start(earlierIni);
        QVERIFY(earlier->storage.keyringInUse());

        // Locked, the keyring asks for its password through a prompter, which is not there.
        QDBusInterface service(QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
                               QStringLiteral("org.freedesktop.Secret.Service"));
        const QDBusMessage locked = service.call(
            QStringLiteral("Lock"),
            QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath("/org/freedesktop/secrets/collection/login")}));
        QVERIFY2(locked.type() == QDBusMessage::ReplyMessage, qPrintable(locked.errorMessage()));

        // ...signs in after the keyring was locked: the new secrets go to the ini.
        earlier->settings.setValue(Setting::Password, QStringLiteral("signed in"));
        QVERIFY(!earlier->storage.store(earlier->settings));
        QVERIFY(!earlier->storage.keyringInUse());
        // Locked is not refused: a later start asks again.
        QCOMPARE(earlier->settings.value(Setting::KeyringState), QStringLiteral("used"));
        SettingsFile::save(earlierIni, earlier->settings, {}, !earlier->storage.store(earlier->settings));
        earlierIni.sync();
        QCOMPARE(SettingsFile::decodePassword(
                     QSettings(m_ini, QSettings::IniFormat).value(QStringLiteral("API/Password")).toString()),
                 QStringLiteral("signed in"));

        // The next start finds the keyring refusing: the ini keeps what it holds.
        writeIni(QStringLiteral("kept"), QStringLiteral("tok-3"));
        QSettings ini(m_ini, QSettings::IniFormat);
        auto run = start(ini);
        QVERIFY(!run->storage.keyringInUse());
        QCOMPARE(run->settings.value(Setting::Password), QStringLiteral("kept"));
        SettingsFile::save(ini, run->settings, {}, !run->storage.store(run->settings));
        QSettings reread(m_ini, QSettings::IniFormat);
        QCOMPARE(SettingsFile::decodePassword(reread.value(QStringLiteral("API/Password")).toString()),
                 QStringLiteral("kept"));
        QCOMPARE(reread.value(QStringLiteral("API/AuthToken")).toString(), QStringLiteral("tok-3"));
    }
};

QTEST_GUILESS_MAIN(TestCredentialStorage)
#include "tst_credentialstorage.moc"
