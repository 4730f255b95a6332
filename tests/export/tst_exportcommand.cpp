#include "database.h"
#include "testdb.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <signal.h>

using namespace TestDb;

// The built program exporting from the database of an instance that is running at the same time.
class TestExportCommand : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString dataFolder() const { return m_root.path() + QStringLiteral("/data/TavroDesk"); }
    QString runFolder() const { return m_root.path() + QStringLiteral("/run"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.path() + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runFolder());
        env.remove(QStringLiteral("DISPLAY"));
        return env;
    }

    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QString err;
    };

    Result runExport(const QStringList &arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(TAVRO_BINARY), arguments);
        Result result;
        if (process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit) {
            result.exitCode = process.exitCode();
        }
        result.out = process.readAllStandardOutput();
        result.err = QString::fromUtf8(process.readAllStandardError());
        return result;
    }

    QString lockOwner() const
    {
        QFile file(runFolder() + QStringLiteral("/tavrodesk.lock"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine().trimmed()) : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir().mkpath(dataFolder()));
        QVERIFY(QDir().mkpath(runFolder()));
        QFile::setPermissions(runFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QSettings ini(dataFolder() + QStringLiteral("/tavrodesk.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Application/Started"), false);
        ini.setValue(QStringLiteral("API/Url"), QStringLiteral("http://127.0.0.1:1/service/"));
        ini.setValue(QStringLiteral("API/SslEnabled"), false);

        Database db;
        QString error;
        QVERIFY2(db.open(dataFolder() + QStringLiteral("/tavrodesk.sqlite"), &error), qPrintable(error));
        Database::createSchema();
        const qint64 app = addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
        for (int day = 1; day <= 31; ++day) {
            const QString date = QStringLiteral("2026-03-%1").arg(day, 2, 10, QLatin1Char('0'));
            addEntry(app, QStringLiteral("day, \"%1\"").arg(day), date + QStringLiteral(" 10:00:00"),
                     date + QStringLiteral(" 10:05:00"));
        }
        db.close();
    }

    void exportsBesideARunningInstance()
    {
        QProcess instance;
        instance.setProcessEnvironment(environment());
        instance.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        instance.start(QStringLiteral(TAVRO_BINARY), QStringList());
        QVERIFY(instance.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runFolder() + QStringLiteral("/tavrodesk.sock")), 10000);
        const QString owner = lockOwner();
        QCOMPARE(owner, QString::number(instance.processId()));

        const Result json =
            runExport({QStringLiteral("--export"), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"),
                       QStringLiteral("--format"), QStringLiteral("json")});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray records = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(records.size(), 31);
        QCOMPARE(records.at(30).toObject().value(QStringLiteral("title")).toString(), QStringLiteral("day, \"31\""));
        QCOMPARE(records.at(30).toObject().value(QStringLiteral("seconds")).toInt(), 300);

        const QString csvPath = m_root.filePath(QStringLiteral("week.csv"));
        const Result csv = runExport({QStringLiteral("--export"), QStringLiteral("2026-03-02"),
                                      QStringLiteral("2026-03-08"), QStringLiteral("--output"), csvPath});
        QCOMPARE(csv.exitCode, 0);
        QVERIFY(csv.out.isEmpty());
        QFile file(csvPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 8);

        const Result misspelt =
            runExport({QStringLiteral("--export"), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-01"),
                       QStringLiteral("--fromat"), QStringLiteral("csv")});
        QCOMPARE(misspelt.exitCode, 2);
        QVERIFY2(misspelt.err.contains(QStringLiteral("fromat")), qPrintable(misspelt.err));
        QVERIFY(misspelt.out.isEmpty());

        // The instance keeps running and keeps its lock.
        QCOMPARE(instance.state(), QProcess::Running);
        QCOMPARE(lockOwner(), owner);
        ::kill(pid_t(instance.processId()), SIGTERM);
        QVERIFY(instance.waitForFinished(10000));
        QCOMPARE(instance.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
