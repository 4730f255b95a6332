#include "fallbackstandin.h"
#include "gnomeshellextension.h"
#include "gnomeshellwindowsource.h"
#include "privatebus.h"
#include "processpath.h"
#include "xvfbsession.h"

#include <QDBusConnection>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// The shipped extension files: the installer's choice of flavour and its version replacement, and
// the GNOME 45+ ES module run by gjs against stand-ins for the shell (a real GNOME 45 is not
// available here; GNOME 43 runs for real in tst_gnomeshellwindowsource).
class TestGnomeShellExtension : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PrivateBus m_bus;

    QJsonObject installedMetadata(const GnomeShellExtension &extension)
    {
        QFile file(extension.folder() + QStringLiteral("/metadata.json"));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString address = m_bus.start(m_dir.path());
        QVERIFY2(!address.isEmpty(), "dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
    }

    void installsTheFlavourOfTheShellAndReplacesOldVersions()
    {
        QCOMPARE(GnomeShellExtension::flavourFor(QStringLiteral("43.9")), QStringLiteral("43"));
        QCOMPARE(GnomeShellExtension::flavourFor(QStringLiteral("44.1")), QStringLiteral("43"));
        QCOMPARE(GnomeShellExtension::flavourFor(QStringLiteral("45.rc")), QStringLiteral("45"));
        QCOMPARE(GnomeShellExtension::flavourFor(QStringLiteral("47.2")), QStringLiteral("45"));

        GnomeShellExtension extension(QDBusConnection::sessionBus(), m_dir.filePath(QStringLiteral("data")));
        QVERIFY(!extension.isInstalled());
        QVERIFY(!extension.isOutdated(QStringLiteral("44.0"))); // nothing to replace without consent
        QString error;
        QVERIFY2(extension.install(QStringLiteral("44.0"), &error), qPrintable(error));
        QVERIFY(!extension.isOutdated(QStringLiteral("44.0")));
        QVERIFY(QFile::exists(extension.folder() + QStringLiteral("/extension.js")));
        QCOMPARE(installedMetadata(extension).value(QStringLiteral("uuid")).toString(),
                 QLatin1String(GnomeShellExtension::Uuid));

        // The shell was upgraded to 46: the 43 flavour cannot load there.
        QVERIFY(extension.isOutdated(QStringLiteral("46.1")));
        QVERIFY2(extension.install(QStringLiteral("46.1"), &error), qPrintable(error));
        QVERIFY(!extension.isOutdated(QStringLiteral("46.1")));
        QFile module(extension.folder() + QStringLiteral("/extension.js"));
        QVERIFY(module.open(QIODevice::ReadOnly) && module.readAll().contains("export default class"));

        // An older TavroDesk left version 0 behind.
        QJsonObject old = installedMetadata(extension);
        old.insert(QStringLiteral("version"), 0);
        QFile metadata(extension.folder() + QStringLiteral("/metadata.json"));
        QVERIFY(metadata.open(QIODevice::WriteOnly | QIODevice::Truncate));
        metadata.write(QJsonDocument(old).toJson());
        metadata.close();
        QVERIFY(extension.isOutdated(QStringLiteral("46.1")));
        QVERIFY(extension.install(QStringLiteral("46.1"), &error));
        QCOMPARE(installedMetadata(extension).value(QStringLiteral("version")).toInt(),
                 GnomeShellExtension::shippedVersion(QStringLiteral("45")));
        QVERIFY(GnomeShellExtension::shippedVersion(QStringLiteral("45")) > 0);
    }

    void esModuleRunsUnderGjs()
    {
        const QString standIns = qEnvironmentVariable("TAVRO_PLATFORM_TEST_DATA") + QStringLiteral("/gjs");
        QFile shipped(QStringLiteral(":/gnome-shell/45/extension.js"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(shipped.readAll());
        // Only the shell's own module is swapped for its stand-in; the rest runs as shipped.
        const QString shellModule = QStringLiteral("'resource:///org/gnome/shell/extensions/extension.js'");
        QCOMPARE(text.count(shellModule), 1);
        text.replace(shellModule, QStringLiteral("'file://%1/extension-standin.js'").arg(standIns));
        QFile module(m_dir.filePath(QStringLiteral("extension.js")));
        QVERIFY(module.open(QIODevice::WriteOnly));
        module.write(text.toUtf8());
        module.close();

        QProcess gjs;
        XvfbSession::endWithTest(gjs);
        gjs.start(QStringLiteral("gjs"),
                  {QStringLiteral("-m"), standIns + QStringLiteral("/shell-standin.js"), module.fileName()});
        QVERIFY2(gjs.waitForStarted(10000), "gjs is not installed (scripts/install-deps.sh installs it)");
        QByteArray output;
        const auto waitFor = [&](const QByteArray &line) {
            for (int i = 0; i < 200 && !output.contains(line + '\n'); ++i) {
                gjs.waitForReadyRead(50);
                output += gjs.readAllStandardOutput();
            }
            return output.contains(line + '\n');
        };
        QVERIFY2(waitFor("enabled"), gjs.readAllStandardError().constData());

        GnomeShellWindowSource source(QDBusConnection::sessionBus(), std::make_unique<FallbackStandIn>());
        QTRY_VERIFY(source.isLive());
        QCOMPARE(source.sample().path, QString()); // nothing has the focus yet

        gjs.write(QStringLiteral("focus Editor|org.example.Editor|%1\n").arg(::getpid()).toUtf8());
        QTRY_COMPARE(source.sample().title, QStringLiteral("Editor"));
        QCOMPARE(source.sample().appId, QStringLiteral("org.example.Editor"));
        QCOMPARE(source.sample().path, executablePath(quint32(::getpid())));
        gjs.write("title Editor - draft\n");
        QTRY_COMPARE(source.sample().title, QStringLiteral("Editor - draft"));
        gjs.write("none\n");
        QTRY_COMPARE(source.sample().title, QString());

        gjs.write("disable\n");
        QVERIFY2(waitFor("done disable"), output.constData());
        QVERIFY2(output.contains("handlers 0\n"), output.constData());
        QTRY_VERIFY(!source.isLive());
        QCOMPARE(source.sample().title, FallbackStandIn::title());
        gjs.closeWriteChannel();
        QVERIFY(gjs.waitForFinished(10000));
        QCOMPARE(gjs.exitCode(), 0);
    }
};

QTEST_MAIN(TestGnomeShellExtension)
#include "tst_gnomeshellextension.moc"
