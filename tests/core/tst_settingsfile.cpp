#include "settingsfile.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsFile;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oddFixtureLoadsToDocumentedMap()
    {
        QSettings ini(QFINDTESTDATA("../data/odd-settings.ini"), QSettings::IniFormat);
        QMap<QString, QVariant> map;
        load(ini, map);
        QCOMPARE(map.value(QStringLiteral("UserAgent")).toString(), QStringLiteral("TavroDesk/1.0.10 Linux"));
        QCOMPARE(map.value(QStringLiteral("Username")).toString(), QStringLiteral("jürgen@example.com"));
        QCOMPARE(map.value(QStringLiteral("Password")).toString(), QStringLiteral("Pässwört"));
        QCOMPARE(map.value(QStringLiteral("AuthToken")).toString(), QStringLiteral("tok-123"));
        QCOMPARE(map.value(QStringLiteral("ApiKey")).toString(), QStringLiteral("key-9"));
        // A value that is not a number converts by QVariant rules, not to the default.
        QCOMPARE(map.value(QStringLiteral("IdleLimit")).toInt(), 0);
        QCOMPARE(map.value(QStringLiteral("IdleEnabled")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("HideUnder")).toInt(), 60);
        QCOMPARE(map.value(QStringLiteral("IgnoredApps")).toStringList(),
                 (QStringList{QStringLiteral("/usr/bin/xterm"), QStringLiteral("/opt/Thing/thing")}));
        QCOMPARE(map.value(QStringLiteral("GroupByHour")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("CloseToTray")).toBool(), false);
        QCOMPARE(map.value(QStringLiteral("MinimizeToTray")).toBool(), false);
        QCOMPARE(map.value(QStringLiteral("SingleClickTrayOpen")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("ExtensionsAdobeEnabled")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("ProxyEnabled")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("ProxyPort")).toString(), QStringLiteral("3128"));
        QCOMPARE(map.value(QStringLiteral("SslEnabled")).toBool(), false);
        QCOMPARE(map.value(QStringLiteral("RealApiBaseUrl")).toString(), QStringLiteral("http://tavro.test/service/"));
        QVERIFY(!map.value(QStringLiteral("UnlinkedListState")).isValid());
    }

    void missingFileGivesDefaults()
    {
        QTemporaryDir dir;
        QSettings ini(dir.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
        QMap<QString, QVariant> map;
        load(ini, map);
        QCOMPARE(map.value(QStringLiteral("IdleLimit")).toInt(), 5);
        QCOMPARE(map.value(QStringLiteral("IdleEnabled")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("CloseToTray")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("SslEnabled")).toBool(), true);
        QCOMPARE(map.value(QStringLiteral("Password")).toString(), QString());
        QCOMPARE(map.value(QStringLiteral("RealApiBaseUrl")).toString(), defaultServiceUrl());
        QVERIFY(defaultServiceUrl().startsWith(QLatin1String("https://")));
        QVERIFY(defaultServiceUrl().endsWith(QLatin1String("/service/")));
    }

    void blankUrlFallsBackToDefault()
    {
        QTemporaryDir dir;
        QSettings ini(dir.filePath(QStringLiteral("a.ini")), QSettings::IniFormat);
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("   "));
        QMap<QString, QVariant> map;
        load(ini, map);
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

    void passwordEncoding()
    {
        QCOMPARE(encodePassword(QString()), QString());
        QCOMPARE(decodePassword(QString()), QString());
        const QString password = QStringLiteral("Zürich€ 密码");
        QCOMPARE(decodePassword(encodePassword(password)), password);
        // Bytes after a zero byte are not part of the password.
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
        map[QStringLiteral("ExtensionsAdobeEnabled")] = false;
        WindowValues window;
        window.recording = false;
        window.unlinkedListState = QByteArray("\x01\x02state", 7);
        {
            QSettings ini(path, QSettings::IniFormat);
            save(ini, map, window);
        }
        const QFileDevice::Permissions others =
            QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(path) & others, QFileDevice::Permissions());
        QSettings ini(path, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("Application/Started")).toBool(), false);
        QVERIFY(ini.value(QStringLiteral("API/Password")).toString() != QStringLiteral("Grüße"));
        QMap<QString, QVariant> reloaded;
        load(ini, reloaded);
        for (const char *key : {"Password", "HideUnder", "IgnoredApps", "IdleEnabled", "ExtensionsAdobeEnabled",
                                "IdleLimit", "CloseToTray", "ProxyHost"}) {
            QCOMPARE(reloaded.value(QLatin1String(key)).toString(), map.value(QLatin1String(key)).toString());
        }
        QCOMPARE(reloaded.value(QStringLiteral("IgnoredApps")).toStringList(),
                 map.value(QStringLiteral("IgnoredApps")).toStringList());
        QCOMPARE(reloaded.value(QStringLiteral("UnlinkedListState")).toByteArray(), window.unlinkedListState);
    }

    void firstStartWritesUrlAndElevenValues()
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
        QCOMPARE(ini.allKeys().size(), 12);
        const DialogValues back = readDialogValues(ini);
        QCOMPARE(back.username, values.username);
        QCOMPARE(back.password, values.password);
        QCOMPARE(back.idleLimit, 12);
        QCOMPARE(back.closeToTray, true);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
