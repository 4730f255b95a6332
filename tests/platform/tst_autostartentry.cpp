#include "autostartentry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

class TestAutostartEntry : public QObject
{
    Q_OBJECT

private:
    static QString configHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation); }

    // The desktop's own validator, as a session would read the entry.
    static void validate(const QString &path)
    {
        QProcess validator;
        validator.setProcessChannelMode(QProcess::MergedChannels);
        validator.start(QStringLiteral("desktop-file-validate"), {path});
        QVERIFY2(validator.waitForFinished(10000), "desktop-file-validate (package desktop-file-utils) did not run");
        QVERIFY2(validator.exitCode() == 0 && validator.readAll().trimmed().isEmpty(),
                 qPrintable(QStringLiteral("invalid entry: ") + path));
    }

private Q_SLOTS:
    void init() { QDir(configHome() + QStringLiteral("/autostart")).removeRecursively(); }

    void writtenValidAndRemoved_data()
    {
        QTest::addColumn<QString>("binary");
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("tryExec");
        QTest::newRow("plain") << QStringLiteral("/usr/bin/tavrodesk")
                               << QStringLiteral("Exec=/usr/bin/tavrodesk --autostart")
                               << QStringLiteral("TryExec=/usr/bin/tavrodesk");
        QTest::newRow("blank and reserved characters")
            << QStringLiteral("/home/ann/my apps/$tavro\\desk%")
            << QStringLiteral("Exec=\"/home/ann/my apps/\\\\$tavro\\\\\\\\desk%%\" --autostart")
            << QStringLiteral("TryExec=/home/ann/my apps/$tavro\\\\desk%");
    }
    void writtenValidAndRemoved()
    {
        QFETCH(QString, binary);
        QFETCH(QString, exec);
        QFETCH(QString, tryExec);
        AutostartEntry entry(QStringLiteral("example.tavro.TavroDesk"), binary);
        QCOMPARE(entry.path(), configHome() + QStringLiteral("/autostart/example.tavro.TavroDesk.desktop"));
        QVERIFY(!entry.isEnabled());
        QString error;
        QVERIFY(entry.setEnabled(true, error));
        QVERIFY(entry.isEnabled());
        QFile file(entry.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QVERIFY2(lines.contains(exec), qPrintable(lines.join(QLatin1Char('|'))));
        // TryExec names the program itself, escaped as a string value.
        QVERIFY2(lines.contains(tryExec), qPrintable(lines.join(QLatin1Char('|'))));
        QVERIFY(lines.contains(QStringLiteral("Icon=example.tavro.TavroDesk")));
        validate(entry.path());

        QVERIFY(entry.setEnabled(false, error));
        QVERIFY(!entry.isEnabled());
        QVERIFY(!QFile::exists(entry.path()));
        // Removing what is not there is no error.
        QVERIFY(entry.setEnabled(false, error));
    }

    void unwritableFolderIsReported()
    {
        QDir(configHome()).mkpath(QStringLiteral("."));
        QFile blocker(configHome() + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        AutostartEntry entry(QStringLiteral("example.tavro.TavroDesk"), QStringLiteral("/usr/bin/tavrodesk"));
        QString error;
        QVERIFY(!entry.setEnabled(true, error));
        QVERIFY(error.contains(QLatin1String("autostart")));
        QVERIFY(!entry.isEnabled());
        QVERIFY(QFile::remove(blocker.fileName()));
    }
};

QTEST_GUILESS_MAIN(TestAutostartEntry)
#include "tst_autostartentry.moc"
