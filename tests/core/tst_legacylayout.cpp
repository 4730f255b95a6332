#include "legacylayout.h"
#include "settings.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// A user of version 1.0.10 or earlier: the settings, the window layout and the debug log lie beside
// the database in $XDG_DATA_HOME/TavroDesk.
class TestLegacyLayout : public QObject
{
    Q_OBJECT

private:
    QString earlier(const char *name) const
    {
        return SettingsFile::dataFolder() + QLatin1Char('/') + QLatin1String(name);
    }

    static QByteArray contents(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_home.isValid());
        for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"}) {
            qputenv(name, (m_home.path() + QLatin1Char('/') + QLatin1String(name)).toUtf8());
        }
        QDir(m_home.path()).removeRecursively();
        QVERIFY(QDir().mkpath(SettingsFile::dataFolder()));
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/earlier-layout.ini"), earlier("tavrodesk.ini")));
        QVERIFY(write(earlier("debug.log"), "06-12-2026 10:00:00 auth user:  \"anna\"\n"));
        QVERIFY(write(earlier("tavrodesk.sqlite"), "SQLite format 3"));
    }

    void movesOnceAndLinksTheOldPaths()
    {
        const QByteArray database = contents(earlier("tavrodesk.sqlite"));
        const QByteArray log = contents(earlier("debug.log"));
        QCOMPARE(LegacyLayout::moveToXdgPlaces().size(), 3);

        const QString ini = SettingsFile::configFolder() + QStringLiteral("/tavrodesk.ini");
        QCOMPARE(SettingsFile::iniPath(), ini);
        QCOMPARE(QFileInfo(earlier("tavrodesk.ini")).symLinkTarget(), ini);
        QCOMPARE(QFileInfo(earlier("debug.log")).symLinkTarget(), SettingsFile::debugLogPath());
        QCOMPARE(contents(SettingsFile::debugLogPath()), log);
        QCOMPARE(contents(SettingsFile::databasePath()), database);

        // The settings read as before; the layout reads from the state file and left the settings.
        QSettings settings(ini, QSettings::IniFormat);
        Settings values;
        SettingsFile::load(settings, values);
        QCOMPARE(values.value(Setting::Username), QStringLiteral("anna@example.com"));
        QCOMPARE(values.value(Setting::Password), QStringLiteral("secret"));
        QCOMPARE(values.value(Setting::IdleLimit), 7);
        QVERIFY(!settings.contains(QStringLiteral("Window/Geometry")));
        QSettings state(SettingsFile::windowStatePath(), QSettings::IniFormat);
        SettingsFile::loadWindowState(state, values);
        const QSettings fixture(QFINDTESTDATA("../data/earlier-layout.ini"), QSettings::IniFormat);
        QCOMPARE(values.value(Setting::UnlinkedListState),
                 fixture.value(QStringLiteral("Window/UnlinkedListState")).toByteArray());
        QCOMPARE(state.value(QStringLiteral("Window/Geometry")), fixture.value(QStringLiteral("Window/Geometry")));

        // An earlier version writing through the link reaches the moved file.
        QSettings(earlier("tavrodesk.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("API/Username"), QStringLiteral("ben"));
        QCOMPARE(QSettings(ini, QSettings::IniFormat).value(QStringLiteral("API/Username")).toString(),
                 QStringLiteral("ben"));
        QVERIFY(QFileInfo(earlier("tavrodesk.ini")).isSymLink());

        QVERIFY(LegacyLayout::moveToXdgPlaces().isEmpty());
    }

    // Files in the new places win and are never overwritten; the earlier ones stay untouched.
    void neverOverwrites()
    {
        QVERIFY(write(SettingsFile::configFolder() + QStringLiteral("/tavrodesk.ini"), "[API]\nUsername=new\n"));
        QVERIFY(write(SettingsFile::debugLogPath(), "new log\n"));
        const QByteArray old = contents(earlier("tavrodesk.ini"));
        LegacyLayout::moveToXdgPlaces();
        QCOMPARE(contents(SettingsFile::configFolder() + QStringLiteral("/tavrodesk.ini")),
                 QByteArray("[API]\nUsername=new\n"));
        QCOMPARE(contents(SettingsFile::debugLogPath()), QByteArray("new log\n"));
        QCOMPARE(contents(earlier("tavrodesk.ini")), old);
        QVERIFY(!QFileInfo(earlier("debug.log")).isSymLink());
    }

    // The config folder cannot be made: the earlier settings file stays in place and in use.
    void failedMoveKeepsTheEarlierFileInUse()
    {
        QVERIFY(write(SettingsFile::configFolder(), "a file where the folder belongs"));
        const QStringList notes = LegacyLayout::moveToXdgPlaces();
        QVERIFY(notes.first().startsWith(QStringLiteral("could not move")));
        QCOMPARE(SettingsFile::iniPath(), earlier("tavrodesk.ini"));
        // Only the layout left it, and only once it was safely in the state file.
        const QSettings settings(earlier("tavrodesk.ini"), QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("API/Username")).toString(), QStringLiteral("anna@example.com"));
        QVERIFY(!settings.contains(QStringLiteral("Window/Geometry")));
        QVERIFY(QSettings(SettingsFile::windowStatePath(), QSettings::IniFormat)
                    .contains(QStringLiteral("Window/Geometry")));
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestLegacyLayout)
#include "tst_legacylayout.moc"
