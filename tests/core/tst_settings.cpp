#include "buildinfo.h"
#include "settings.h"
#include "settingsfile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// The typed settings read and write the ini file byte for byte as the string-keyed map before them.
class TestSettings : public QObject
{
    Q_OBJECT

private:
    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void savedFileIsByteCompatible_data()
    {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<bool>("withSecrets");
        QTest::addColumn<QString>("expected");
        QTest::newRow("odd settings") << QStringLiteral("odd-settings.ini") << true
                                      << QStringLiteral("odd-settings-saved.ini");
        QTest::newRow("odd settings, secrets in the keyring")
            << QStringLiteral("odd-settings.ini") << false << QStringLiteral("odd-settings-saved-keyring.ini");
        QTest::newRow("odd values") << QStringLiteral("settings-odd-values.ini") << true
                                    << QStringLiteral("settings-odd-values-saved.ini");
    }

    void savedFileIsByteCompatible()
    {
        QFETCH(QString, fixture);
        QFETCH(bool, withSecrets);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tavrodesk.ini"));
        QVERIFY(QFile::copy(QFINDTESTDATA(QStringLiteral("../data/") + fixture), path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        {
            QSettings ini(path, QSettings::IniFormat);
            Settings settings;
            SettingsFile::load(ini, settings);
            SettingsFile::WindowValues window;
            window.recording = true;
            SettingsFile::save(ini, settings, window, withSecrets);
        }
        const QByteArray written = contents(path);
        if (BuildInfo::UpdateCheck) {
            QCOMPARE(written, contents(QFINDTESTDATA(QStringLiteral("../data/") + expected)));
        } else {
            // A build without the update check leaves the group as it was.
            QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("Updates/FeedUrl")),
                     QSettings(QFINDTESTDATA(QStringLiteral("../data/") + fixture), QSettings::IniFormat)
                         .value(QStringLiteral("Updates/FeedUrl")));
        }
    }

    void oddValuesReadAsTheirTypes()
    {
        QSettings ini(QFINDTESTDATA("../data/settings-odd-values.ini"), QSettings::IniFormat);
        Settings settings;
        settings.load(ini);
        QCOMPARE(settings.value(Setting::IdleLimit), 12);
        QCOMPARE(settings.value(Setting::HideUnder), 0);
        QCOMPARE(settings.value(Setting::IdleEnabled), false);
        QCOMPARE(settings.value(Setting::GroupByHour), true);
        QCOMPARE(settings.value(Setting::SslEnabled), true);
        // A list where a name belongs is no name.
        QCOMPARE(settings.value(Setting::Username), QString());
        QCOMPARE(settings.value(Setting::IgnoredApps), QStringList{QStringLiteral("/usr/bin/only-one")});
        QCOMPARE(settings.value(Setting::ProxyPort), QString());
        QCOMPARE(settings.value(Setting::KeyringState), QStringLiteral("used"));
        QCOMPARE(settings.serviceUrl(), SettingsFile::defaultServiceUrl());
    }

    // What a run changed reaches the file; what it left alone stays as the file had it.
    void changedValuesAreWrittenTyped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tavrodesk.ini"));
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/odd-settings.ini"), path));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        Settings settings;
        {
            QSettings ini(path, QSettings::IniFormat);
            settings.load(ini);
            settings.setValue(Setting::HideUnder, 600);
            settings.setValue(Setting::IgnoredApps, QStringList());
            settings.setValue(Setting::ProxyEnabled, false);
            settings.setValue(Setting::ApiKey, QStringLiteral("new-key"));
            settings.setValue(Setting::UnlinkedListState, QByteArray("\x01\x02", 2));
            SettingsFile::save(ini, settings, {});
        }
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Application/HideUnder")).toString(), QStringLiteral("600"));
        QCOMPARE(ini.value(QStringLiteral("Application/Ignored")).toStringList(), QStringList());
        QCOMPARE(ini.value(QStringLiteral("Proxy/Enabled")).toString(), QStringLiteral("false"));
        QCOMPARE(ini.value(QStringLiteral("Proxy/Host")).toString(), QStringLiteral("proxy.local"));
        // The API key is the service's to give; the layout is the state file's.
        QCOMPARE(ini.value(QStringLiteral("API/ApiKey")).toString(), QStringLiteral("key-9"));
        QVERIFY(!ini.contains(QStringLiteral("Window/UnlinkedListState")));
    }

    void restoreDefaultsForgetsTheRun()
    {
        Settings settings;
        settings.setValue(Setting::IdleLimit, 30);
        settings.setValue(Setting::CloseToTray, false);
        settings.setServiceUrl(QStringLiteral("http://127.0.0.1:1/"));
        settings.restoreDefaults();
        QCOMPARE(settings.value(Setting::IdleLimit), 5);
        QCOMPARE(settings.value(Setting::CloseToTray), true);
        QCOMPARE(settings.serviceUrl(), SettingsFile::defaultServiceUrl());
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
