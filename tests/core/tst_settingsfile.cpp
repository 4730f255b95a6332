#include "buildinfo.h"
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

private:
    // "Key=value;" for each key, values as text.
    static QString dump(const QMap<QString, QVariant> &map, const QStringList &keys)
    {
        QString text;
        for (const QString &key : keys) {
            text += key + QLatin1Char('=') + map.value(key).toString() + QLatin1Char(';');
        }
        return text;
    }

private Q_SLOTS:
    void oddFixtureLoadsToDocumentedMap()
    {
        QSettings ini(QFINDTESTDATA("../data/odd-settings.ini"), QSettings::IniFormat);
        QMap<QString, QVariant> map;
        load(ini, map);
        const QStringList keys =
            QStringLiteral("UserAgent Username Password AuthToken ApiKey IdleEnabled HideUnder "
                           "GroupByHour CloseToTray MinimizeToTray SingleClickTrayOpen "
                           "ExtensionsAdobeEnabled ProxyEnabled ProxyPort SslEnabled RealApiBaseUrl")
                .split(QLatin1Char(' '));
        QCOMPARE(dump(map, keys),
                 QStringLiteral("UserAgent=TavroDesk/") + BuildInfo::version() +
                     QString::fromUtf8(" Linux;Username=jürgen@example.com;Password=Pässwört;"
                                       "AuthToken=tok-123;ApiKey=key-9;IdleEnabled=true;HideUnder=60;GroupByHour=true;"
                                       "CloseToTray=false;MinimizeToTray=false;SingleClickTrayOpen=true;"
                                       "ExtensionsAdobeEnabled=true;ProxyEnabled=true;ProxyPort=3128;SslEnabled=false;"
                                       "RealApiBaseUrl=http://tavro.test/service/;"));
        // A value that is not a number falls back to the default instead of making all time away time.
        QCOMPARE(map.value(QStringLiteral("IdleLimit")).toInt(), 5);
        QCOMPARE(map.value(QStringLiteral("IgnoredApps")).toStringList(),
                 (QStringList{QStringLiteral("/usr/bin/xterm"), QStringLiteral("/opt/Thing/thing")}));
        QVERIFY(!map.value(QStringLiteral("UnlinkedListState")).isValid());
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
        QMap<QString, QVariant> map;
        load(ini, map);
        const QString mapKey =
            key == QLatin1String("Proxy/Port") ? QStringLiteral("ProxyPort") : key.section(QLatin1Char('/'), 1);
        QCOMPARE(map.value(mapKey).toString(), loaded);
        // Written back, the fallback replaces the bad value.
        save(ini, map, {});
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(key).toString(), loaded);
        if (mapKey == QLatin1String("IdleLimit")) {
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
        QMap<QString, QVariant> map;
        load(ini, map);
        QCOMPARE(dump(map, QStringLiteral("IdleLimit CloseToTray SslEnabled Password").split(QLatin1Char(' '))),
                 QStringLiteral("IdleLimit=5;CloseToTray=true;SslEnabled=true;Password=;"));
        QCOMPARE(map.value(QStringLiteral("RealApiBaseUrl")).toString(), defaultServiceUrl());
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
        QMap<QString, QVariant> map;
        {
            QSettings ini(path, QSettings::IniFormat);
            load(ini, map);
        }
        map[QStringLiteral("Password")] = QStringLiteral("Grüße");
        map[QStringLiteral("HideUnder")] = 300;
        map[QStringLiteral("IgnoredApps")] = QStringList{QStringLiteral("/a b/c"), QStringLiteral("/d,e")};
        map[QStringLiteral("IdleEnabled")] = false;
        map[QStringLiteral("InhibitedIdleIsPresence")] = false;
        map[QStringLiteral("NeverRecordedApps")] = QStringList{QStringLiteral("/usr/bin/vault")};
        map[QStringLiteral("NeverRecordedKeepTime")] = false;
        map[QStringLiteral("CheckForUpdates")] = false;
        map[QStringLiteral("HelpUrl")] = QStringLiteral("http://127.0.0.1:8080/help.html");
        WindowValues window;
        window.recording = false;
        window.unlinkedListState = QByteArray("\x01\x02state", 7);
        const QString statePath = QFileInfo(path).path() + QStringLiteral("/window.ini");
        {
            QSettings ini(path, QSettings::IniFormat);
            save(ini, map, window);
            QSettings state(statePath, QSettings::IniFormat);
            saveWindowState(state, window);
        }
        QCOMPARE(int(QFile::permissions(path)) & 0x00ff, 0); // nothing for group or others
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Application/Started")).toBool(), false);
        QVERIFY(ini.value(QStringLiteral("API/Password")).toString() != QStringLiteral("Grüße"));
        QMap<QString, QVariant> reloaded;
        load(ini, reloaded);
        const QStringList keys = QStringLiteral("Password HideUnder IdleEnabled InhibitedIdleIsPresence CloseToTray "
                                                "CheckForUpdates HelpUrl")
                                     .split(QLatin1Char(' '));
        QCOMPARE(dump(reloaded, keys), dump(map, keys));
        QCOMPARE(reloaded.value(QStringLiteral("IgnoredApps")), map.value(QStringLiteral("IgnoredApps")));
        // The layout went to the state file, not to the settings.
        QVERIFY(!ini.contains(QStringLiteral("Window/UnlinkedListState")));
        QSettings state(statePath, QSettings::IniFormat);
        loadWindowState(state, reloaded);
        QCOMPARE(reloaded.value(QStringLiteral("UnlinkedListState")).toByteArray(), window.unlinkedListState);
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
