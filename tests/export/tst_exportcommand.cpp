#include "database.h"
#include "testdb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <signal.h>
#include <sys/stat.h>

using namespace TestDb;

// The built program exporting from the database of an instance that is running at the same time.
class TestExportCommand : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;

    QString dataFolder() const { return m_root.path() + QStringLiteral("/data/TavroDesk"); }
    QString runFolder() const { return m_root.path() + QStringLiteral("/run"); }

    QProcessEnvironment environment(const QString &dataHome = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_DATA_HOME"),
                   dataHome.isEmpty() ? m_root.path() + QStringLiteral("/data") : dataHome);
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

    Result runExport(const QStringList &arguments, const QString &standardOutputFile = QString(),
                     const QString &dataHome = QString()) const
    {
        QProcess process;
        process.setProcessEnvironment(environment(dataHome));
        if (!standardOutputFile.isEmpty()) {
            process.setStandardOutputFile(standardOutputFile);
        }
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
    // The projects the window loaded last name the clients of linked entries, as File > Export does
    // while signed in; without them the client columns stay empty.
    void linkedEntriesNameTheirClients()
    {
        {
            Database db;
            QString error;
            QVERIFY2(db.open(dataFolder() + QStringLiteral("/tavrodesk.sqlite"), &error), qPrintable(error));
            exec(QStringLiteral("UPDATE entries SET ext_task_id = 1000, ext_project_id = 10, ext_entry_id = 555 "
                                "WHERE title = 'day, \"2\"'"));
            db.close();
        }
        const QStringList arguments{QStringLiteral("--export"), QStringLiteral("2026-03-02"),
                                    QStringLiteral("2026-03-03"), QStringLiteral("--format"), QStringLiteral("json")};
        const auto clientOf = [](const Result &result, int record) {
            return QJsonDocument::fromJson(result.out).array().at(record).toObject().value(QStringLiteral("client"));
        };
        const Result unknown = runExport(arguments);
        QCOMPARE(unknown.exitCode, 0);
        QCOMPARE(clientOf(unknown, 0).toString(), QString());

        const QString kept = dataFolder() + QStringLiteral("/projects.xml");
        QVERIFY(QFile::copy(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/projects.xml"), kept));
        const Result named = runExport(arguments);
        QVERIFY(QFile::remove(kept));
        QCOMPARE(named.exitCode, 0);
        QCOMPARE(clientOf(named, 0), QJsonValue(QStringLiteral("Acme & Söhne")));
        const QJsonObject unlinked = QJsonDocument::fromJson(named.out).array().at(1).toObject();
        QVERIFY(unlinked.value(QStringLiteral("client_id")).isNull());
    }

    // The days' figures in the export's vocabulary: one row per day of the range, across the end of
    // a week, whose "seconds" are what the day's entries add up to.
    void perDayFigures()
    {
        const QStringList range{QStringLiteral("--export"), QStringLiteral("2026-03-06"), QStringLiteral("2026-03-10"),
                                QStringLiteral("--per-day")};
        const Result csv = runExport(range);
        QCOMPARE(csv.exitCode, 0);
        QCOMPARE(csv.out.split('\n').mid(0, 3),
                 (QList<QByteArray>{"date,seconds,linked_seconds,unlinked_seconds,away_seconds,to_book_seconds\r",
                                    "2026-03-06,300,0,300,0,300\r", "2026-03-07,300,0,300,0,300\r"}));
        QCOMPARE(csv.out.count("\r\n"), 6);

        const Result json = runExport(range + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        QCOMPARE(json.exitCode, 0);
        const QJsonArray days = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(days.size(), 5);
        const QJsonObject last = days.last().toObject();
        QCOMPARE(last.keys(), (QStringList{QStringLiteral("away_seconds"), QStringLiteral("date"),
                                           QStringLiteral("linked_seconds"), QStringLiteral("seconds"),
                                           QStringLiteral("to_book_seconds"), QStringLiteral("unlinked_seconds")}));
        QCOMPARE(last.value(QStringLiteral("date")).toString(), QStringLiteral("2026-03-10"));
        QCOMPARE(last.value(QStringLiteral("seconds")).toInt(), 300);
        const Result entries =
            runExport(range.mid(0, 3) + QStringList{QStringLiteral("--format"), QStringLiteral("json")});
        QCOMPARE(QJsonDocument::fromJson(entries.out).array().last().toObject().value(QStringLiteral("seconds")),
                 last.value(QStringLiteral("seconds")));
    }

    // Output that does not all arrive is a failure, never a success with a short file.
    void shortOutputIsAFailure()
    {
        const QStringList march{QStringLiteral("--export"), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31")};
        for (const QString &format : {QStringLiteral("csv"), QStringLiteral("json")}) {
            const Result full =
                runExport(march + QStringList{QStringLiteral("--format"), format}, QStringLiteral("/dev/full"));
            QCOMPARE(full.exitCode, 1);
            QVERIFY2(full.err.contains(QStringLiteral("No space left on device")), qPrintable(full.err));
        }

        // Written only into regular files: the new file would replace a pipe or a device.
        const QString pipe = m_root.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const Result special = runExport(march + QStringList{QStringLiteral("--output"), pipe});
        QCOMPARE(special.exitCode, 1);
        QVERIFY2(special.err.contains(QStringLiteral("not a regular file")), qPrintable(special.err));
        struct stat status
        {};
        QVERIFY(::stat(QFile::encodeName(pipe).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    }

    // A database with damaged pages gives an error, not the rows before the damage.
    void damagedDatabaseIsAFailure()
    {
        QTemporaryDir home;
        const QString path = home.filePath(QStringLiteral("TavroDesk/tavrodesk.sqlite"));
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        {
            Database db;
            QString error;
            QVERIFY2(db.open(path, &error), qPrintable(error));
            Database::createSchema();
            const qint64 app = addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
            exec(QStringLiteral("BEGIN"));
            const QDateTime first(QDate(2026, 3, 1), QTime(0, 0));
            for (int i = 0; i < 20000; ++i) {
                const QString start = first.addSecs(i * 60).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
                addEntry(app, QStringLiteral("entry %1 with a title long enough to fill pages").arg(i), start, start);
            }
            exec(QStringLiteral("COMMIT"));
            db.close();
        }
        const QStringList range{QStringLiteral("--export"), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31")};
        QCOMPARE(runExport(range, QString(), home.path()).out.count("\r\n"), 20001);

        // Whole pages in the middle of the file overwritten, as a failing disk leaves them.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        constexpr qint64 Page = 4096;
        const qint64 pages = file.size() / Page;
        QVERIFY(pages > 20);
        QVERIFY(file.seek(pages / 2 * Page));
        QCOMPARE(file.write(QByteArray(4 * Page, char(0xA5))), 4 * Page);
        file.close();

        const Result damaged = runExport(range, QString(), home.path());
        QCOMPARE(damaged.exitCode, 1);
        QVERIFY2(damaged.err.contains(QStringLiteral("damaged")), qPrintable(damaged.err));
        QVERIFY(damaged.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestExportCommand)
#include "tst_exportcommand.moc"
