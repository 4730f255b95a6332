#include "buildinfo.h"
#include "settings.h"
#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsFile;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oddFixtureLoadsToDocumentedValues()
    {
        QSettings ini(QFINDTESTDATA("../data/odd-settings.ini"), QSettings::IniFormat);
        Settings settings;
        load(ini, settings);
        const QStringList texts{settings.value(Setting::Username),  settings.value(Setting::Password),
                                settings.value(Setting::AuthToken), settings.value(Setting::ApiKey),
                                settings.value(Setting::ProxyPort), settings.serviceUrl()};
        QCOMPARE(texts, QString::fromUtf8("jürgen@example.com|Pässwört|tok-123|key-9|3128|http://tavro.test/service/")
                            .split(QLatin1Char('|')));
        const QList<bool> flags{
            settings.value(Setting::IdleEnabled),         settings.value(Setting::GroupByHour),
            settings.value(Setting::CloseToTray),         settings.value(Setting::MinimizeToTray),
            settings.value(Setting::SingleClickTrayOpen), settings.value(Setting::ExtensionsAdobeEnabled),
            settings.value(Setting::ProxyEnabled),        settings.value(Setting::SslEnabled)};
        QCOMPARE(flags, (QList<bool>{true, true, false, false, true, true, true, false}));
        QCOMPARE(settings.value(Setting::HideUnder), 60);
        // A value that is not a number falls back to the default instead of making all time away time.
        QCOMPARE(settings.value(Setting::IdleLimit), 5);
        QCOMPARE(settings.value(Setting::IgnoredApps),
                 (QStringList{QStringLiteral("/usr/bin/xterm"), QStringLiteral("/opt/Thing/thing")}));
        QVERIFY(settings.value(Setting::UnlinkedListState).isEmpty());
    }

    void numbersOutOfRangeFallBack_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("loaded");
        const auto row = [](const char *tag, const char *key, const char *stored, const char *loaded) {
            QTest::newRow(tag) << QString::fromLatin1(key) << QString::fromLatin1(stored)
                               << QString::fromLatin1(loaded);
        };
        row("idle limit text", "Application/IdleLimit", "abc", "5");
        row("idle limit negative", "Application/IdleLimit", "-5", "5");
        row("idle limit zero", "Application/IdleLimit", "0", "5");
        row("idle limit huge", "Application/IdleLimit", "99999999999", "5");
        row("idle limit in range", "Application/IdleLimit", " 12 ", "12");
        row("hide under not offered", "Application/HideUnder", "45", "0");
        row("hide under offered", "Application/HideUnder", "300", "300");
        row("proxy port text", "Proxy/Port", "http", "");
        row("proxy port too big", "Proxy/Port", "70000", "");
        row("proxy port", "Proxy/Port", "8080", "8080");
    }

    void numbersOutOfRangeFallBack()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, loaded);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.ini"));
        {
            QSettings ini(path, QSettings::IniFormat);
            ini.setValue(key, stored);
        }
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther | QFileDevice::ReadGroup);
        QSettings ini(path, QSettings::IniFormat);
        Settings settings;
        load(ini, settings);
        const QString read = key == QLatin1String("Proxy/Port") ? settings.value(Setting::ProxyPort)
                             : key == QLatin1String("Application/IdleLimit")
                                 ? QString::number(settings.value(Setting::IdleLimit))
                                 : QString::number(settings.value(Setting::HideUnder));
        QCOMPARE(read, loaded);
        // Written back, the fallback replaces the bad value.
        save(ini, settings, {});
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(key).toString(), loaded);
        if (key == QLatin1String("Application/IdleLimit")) {
            QCOMPARE(readDialogValues(ini).idleLimit, loaded.toInt());
        }
        // Readable by its owner only from the moment it is read.
        QCOMPARE(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }

    void blankFileGivesDefaults()
    {
        QTemporaryDir dir;
        QSettings ini(dir.filePath(QStringLiteral("a.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("   "));
        Settings settings;
        load(ini, settings);
        QCOMPARE(settings.value(Setting::IdleLimit), 5);
        QCOMPARE(settings.value(Setting::CloseToTray), true);
        QCOMPARE(settings.value(Setting::SslEnabled), true);
        QCOMPARE(settings.value(Setting::Password), QString());
        QCOMPARE(settings.serviceUrl(), defaultServiceUrl());
    }

    void realApiUrl_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("ssl");
        QTest::addColumn<QString>("result");
        QTest::newRow("https, ssl off") << QStringLiteral("https://h/service/") << false
                                        << QStringLiteral("http://h/service/");
        QTest::newRow("capitals, ssl off") << QStringLiteral("HTTPS://h/s/") << false << QStringLiteral("http://h/s/");
        QTest::newRow("https, ssl on") << QStringLiteral("HTTPS://h/s/") << true << QStringLiteral("HTTPS://h/s/");
        QTest::newRow("http, ssl on stays http")
            << QStringLiteral("http://h/s/") << true << QStringLiteral("http://h/s/");
        QTest::newRow("https not at start") << QStringLiteral(" https://h/") << false << QStringLiteral(" https://h/");
    }
    void realApiUrl()
    {
        QFETCH(QString, url);
        QFETCH(bool, ssl);
        QFETCH(QString, result);
        QCOMPARE(SettingsFile::realApiUrl(url, ssl), result);
    }

    void passwordStopsAtZeroByte()
    {
        QCOMPARE(decodePassword(QString::fromLatin1(QByteArray("ab\0cd", 5).toBase64())), QStringLiteral("ab"));
    }

    void saveThenLoadRoundTrips()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("round.ini"));
        Settings settings;
        {
            QSettings ini(path, QSettings::IniFormat);
            load(ini, settings);
        }
        settings.setValue(Setting::Password, QStringLiteral("Grüße"));
        settings.setValue(Setting::HideUnder, 300);
        settings.setValue(Setting::IgnoredApps, QStringList{QStringLiteral("/a b/c"), QStringLiteral("/d,e")});
        settings.setValue(Setting::IdleEnabled, false);
        settings.setValue(Setting::InhibitedIdleIsPresence, false);
        settings.setValue(Setting::NeverRecordedApps, QStringList{QStringLiteral("/usr/bin/vault")});
        settings.setValue(Setting::NeverRecordedKeepTime, false);
        settings.setValue(Setting::CheckForUpdates, false);
        settings.setValue(Setting::HelpUrl, QStringLiteral("http://127.0.0.1:8080/help.html"));
        WindowValues window;
        window.recording = false;
        window.unlinkedListState = QByteArray("\x01\x02state", 7);
        const QString statePath = QFileInfo(path).path() + QStringLiteral("/window.ini");
        {
            QSettings ini(path, QSettings::IniFormat);
            save(ini, settings, window);
            QSettings state(statePath, QSettings::IniFormat);
            saveWindowState(state, window);
        }
        QCOMPARE(int(QFile::permissions(path)) & 0x00ff, 0); // nothing for group or others
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Application/Started")).toBool(), false);
        QVERIFY(ini.value(QStringLiteral("API/Password")).toString() != QStringLiteral("Grüße"));
        Settings reloaded;
        load(ini, reloaded);
        QCOMPARE(reloaded.value(Setting::Password), settings.value(Setting::Password));
        QCOMPARE(reloaded.value(Setting::HideUnder), 300);
        QCOMPARE(reloaded.value(Setting::IdleEnabled), false);
        QCOMPARE(reloaded.value(Setting::InhibitedIdleIsPresence), false);
        QCOMPARE(reloaded.value(Setting::CloseToTray), true);
        QCOMPARE(reloaded.value(Setting::CheckForUpdates), !BuildInfo::UpdateCheck);
        QCOMPARE(reloaded.value(Setting::HelpUrl), settings.value(Setting::HelpUrl));
        QCOMPARE(reloaded.value(Setting::IgnoredApps), settings.value(Setting::IgnoredApps));
        // The layout went to the state file, not to the settings.
        QVERIFY(!ini.contains(QStringLiteral("Window/UnlinkedListState")));
        QSettings state(statePath, QSettings::IniFormat);
        loadWindowState(state, reloaded);
        QCOMPARE(reloaded.value(Setting::UnlinkedListState), window.unlinkedListState);
    }

    void firstStartWritesUrlAndTheDialogValues()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("first.ini"));
        DialogValues values;
        values.username = QStringLiteral("demo@tavro.test");
        values.password = QStringLiteral("pässword");
        values.idleLimit = 12;
        {
            QSettings ini(path, QSettings::IniFormat);
            writeFirstStart(ini, values);
        }
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("API/Url")).toString(), defaultServiceUrl());
        QCOMPARE(ini.allKeys().size(), 16);
        const DialogValues back = readDialogValues(ini);
        QCOMPARE(QStringList({back.username, back.password, QString::number(back.idleLimit)}),
                 QStringList({values.username, values.password, QStringLiteral("12")}));
    }

    // A file where the data folder belongs is refused before anything is asked or written, and left alone.
    void dataFolderPathTakenByAFile()
    {
        QTemporaryDir home;
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        QFile file(home.filePath(QStringLiteral("TavroDesk")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("mine") == 4);
        file.close();
        QCOMPARE(dataFolder(), file.fileName());
        QString failed;
        QVERIFY(!ensureFolders(&failed));
        QCOMPARE(failed, dataFolder());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("mine"));
        QVERIFY(file.remove());
        QVERIFY(ensureFolders());
        QVERIFY(QFileInfo(dataFolder()).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
