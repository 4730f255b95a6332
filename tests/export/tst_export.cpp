#include "cataloguereader.h"
#include "entryexport.h"
#include "exportcommand.h"
#include "testdb.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace TestDb;

namespace {

const QStringList NastyTitles{
    QStringLiteral("plain"),
    QStringLiteral("a, b, c"),
    QStringLiteral("say \"hi\", \"\""),
    QStringLiteral("two\nlines"),
    QStringLiteral("crlf\r\nand a lone\rreturn"),
    QStringLiteral("Grüße – 日本語 🙂 \u202Ertl"),
    QStringLiteral("  padded  "),
    QString(),
    QStringLiteral("=SUM(A1:A2)"),
    QStringLiteral("\"quoted whole\""),
    QStringLiteral("+cmd|' /C calc'!A0"),
    QStringLiteral("@SUM(1+1)"),
    QStringLiteral("-2+3"),
    QStringLiteral("-42"),
    QStringLiteral("\t=1+1"),
};

// The CSV keeps what a spreadsheet would run as a formula behind an apostrophe (as text); a plain
// negative number stays a number. The JSON keeps every title as it is.
const QHash<QString, QString> CsvShownTitles{
    {QStringLiteral("=SUM(A1:A2)"), QStringLiteral("'=SUM(A1:A2)")},
    {QStringLiteral("+cmd|' /C calc'!A0"), QStringLiteral("'+cmd|' /C calc'!A0")},
    {QStringLiteral("@SUM(1+1)"), QStringLiteral("'@SUM(1+1)")},
    {QStringLiteral("-2+3"), QStringLiteral("'-2+3")},
    {QStringLiteral("\t=1+1"), QStringLiteral("'\t=1+1")},
};

QByteArray exported(const EntryExport &run)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    if (!run.writeTo(&buffer, &error)) {
        qWarning() << error;
    }
    return buffer.data();
}

// The rows of a CSV file as Python's csv module reads them: a parser of its own, not ours.
QList<QStringList> pythonCsvRows(const QString &path)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    json.dump(list(csv.reader(f, strict=True)), sys.stdout)\n"),
                  path});
    if (!python.waitForFinished(20000) || python.exitCode() != 0) {
        qWarning() << "python3 failed:" << python.errorString() << python.readAllStandardError();
        return {};
    }
    QList<QStringList> rows;
    const QJsonArray array = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    for (const QJsonValue &row : array) {
        rows << row.toVariant().toStringList();
    }
    return rows;
}

// Runs the export command on `arguments` (without the program's name) as the program's own
// command line hands them over.
int runCommand(const QStringList &arguments, const QString &database, QIODevice *out, QString *messages)
{
    QCommandLineParser parser;
    parser.addOptions({ExportCommand::exportOption(), ExportCommand::formatOption(), ExportCommand::outputOption()});
    if (!parser.parse(QStringList{QStringLiteral("tavrodesk")} + arguments)) {
        *messages = parser.errorText();
        return -1;
    }
    QTextStream stream(messages);
    return ExportCommand::run(parser, database, nullptr, out, stream);
}

QJsonArray jsonRecords(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning() << error.errorString();
    }
    return document.array();
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    TempDatabase m_db;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(m_db.isOpen(), qPrintable(m_db.error()));
    }

    void init()
    {
        exec(QStringLiteral("DELETE FROM entries"));
        exec(QStringLiteral("DELETE FROM applications"));
    }

    void nastyTextSurvivesCsvAndJson()
    {
        const qint64 app = addApp(QStringLiteral("/opt/odd, \"dir\"/edit"), QStringLiteral("Edit, \"Pro\""));
        QList<qint64> ids;
        for (int i = 0; i < NastyTitles.size(); ++i) {
            const QString start = QStringLiteral("2026-03-02 09:%1:00").arg(i, 2, 10, QLatin1Char('0'));
            const QString end = QStringLiteral("2026-03-02 09:%1:30").arg(i, 2, 10, QLatin1Char('0'));
            ids << addEntry(app, NastyTitles.at(i), start, end);
        }
        // The second entry is linked with a task of project 10, whose client the catalogue knows.
        exec(QStringLiteral("UPDATE entries SET ext_task_id = 1000, ext_task_name = 'Mock-ups', ext_tasklist_id = 100, "
                            "ext_tasklist_name = 'Design', ext_project_id = 10, ext_project_name = 'Website', "
                            "ext_entry_id = 555 WHERE id = ?"),
             {ids.at(1)});
        QFile catalogue(qEnvironmentVariable("TAVRO_TEST_DATA") + QStringLiteral("/projects.xml"));
        QVERIFY(catalogue.open(QIODevice::ReadOnly));

        // Read as the service's reply arrives: one character per byte.
        ProjectsCatalogue projects;
        QVERIFY(CatalogueReader::load(QString::fromLatin1(catalogue.readAll()), projects));
        EntryExport run;
        run.from = QDate(2026, 3, 2);
        run.to = run.from;
        run.catalogue = &projects;

        const QString csvPath = m_dir.filePath(QStringLiteral("out.csv"));
        QString error;
        QVERIFY2(run.writeFile(csvPath, &error), qPrintable(error));
        const QList<QStringList> rows = pythonCsvRows(csvPath);
        QCOMPARE(rows.size(), NastyTitles.size() + 1);
        QCOMPARE(rows.first(), ExportWriter::columns());
        const int title = int(ExportWriter::columns().indexOf(QStringLiteral("title")));
        for (int i = 0; i < NastyTitles.size(); ++i) {
            QCOMPARE(rows.at(i + 1).at(title), CsvShownTitles.value(NastyTitles.at(i), NastyTitles.at(i)));
            QCOMPARE(rows.at(i + 1).at(4), QStringLiteral("Edit, \"Pro\""));
            QCOMPARE(rows.at(i + 1).at(5), QStringLiteral("/opt/odd, \"dir\"/edit"));
            QCOMPARE(rows.at(i + 1).at(3), QStringLiteral("30"));
        }
        QCOMPARE(rows.at(2).mid(8),
                 (QStringList{QStringLiteral("1000"), QStringLiteral("Mock-ups"), QStringLiteral("100"),
                              QStringLiteral("Design"), QStringLiteral("10"), QStringLiteral("Website"),
                              QStringLiteral("1"), QStringLiteral("Acme & Söhne"), QStringLiteral("555")}));
        QCOMPARE(rows.at(1).mid(8), QStringList(9, QString()));
        QFile raw(csvPath);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(raw.readAll().startsWith("date,start,end,seconds,application,path,title,away,"));

        run.format = ExportWriter::Format::Json;
        const QJsonArray records = jsonRecords(exported(run));
        QCOMPARE(records.size(), NastyTitles.size());
        for (int i = 0; i < NastyTitles.size(); ++i) {
            const QJsonObject record = records.at(i).toObject();
            QCOMPARE(record.value(QStringLiteral("title")).toString(), NastyTitles.at(i));
            QCOMPARE(record.value(QStringLiteral("application")).toString(), QStringLiteral("Edit, \"Pro\""));
            QCOMPARE(record.value(QStringLiteral("away")), QJsonValue(false));
        }
        QCOMPARE(records.at(1).toObject().value(QStringLiteral("task_id")), QJsonValue(1000));
        QCOMPARE(records.at(1).toObject().value(QStringLiteral("client")), QJsonValue(QStringLiteral("Acme & Söhne")));
        // Ids are numbers, as task_id and project_id are; none is null.
        QVERIFY(records.at(1).toObject().value(QStringLiteral("client_id")).isDouble());
        QVERIFY(records.at(0).toObject().value(QStringLiteral("client_id")).isNull());
        QVERIFY(records.at(0).toObject().value(QStringLiteral("task_id")).isNull());
        QVERIFY(records.at(0).toObject().value(QStringLiteral("remote_entry_id")).isNull());
    }

    // Runs with TZ=Europe/Berlin: summer time starts on 29 March 2026 and ends on 25 October.
    void daysAcrossMidnightAndClockChanges()
    {
        const qint64 app = addApp(QStringLiteral("/usr/bin/shell"), QStringLiteral("Shell"));
        const qint64 away = addApp(QStringLiteral("tavro://idle"), QStringLiteral("Away Time"));
        addEntry(app, QStringLiteral("late"), QStringLiteral("2026-03-28 23:50:00"),
                 QStringLiteral("2026-03-29 00:10:00"));
        addEntry(app, QStringLiteral("spring"), QStringLiteral("2026-03-29 01:30:00"),
                 QStringLiteral("2026-03-29 03:30:00"));
        addEntry(away, QStringLiteral("at 23:59:59"), QStringLiteral("2026-03-29 23:59:59"),
                 QStringLiteral("2026-03-30 00:00:09"));
        addEntry(app, QStringLiteral("autumn"), QStringLiteral("2026-10-25 01:30:00"),
                 QStringLiteral("2026-10-25 03:30:00"));

        EntryExport run;
        run.format = ExportWriter::Format::Json;
        const auto titles = [&run](const QDate &from, const QDate &to) {
            run.from = from;
            run.to = to;
            QStringList list;
            for (const QJsonValue &value : jsonRecords(exported(run))) {
                const QJsonObject record = value.toObject();
                list << record.value(QStringLiteral("title")).toString() + QLatin1Char('/') +
                            QString::number(record.value(QStringLiteral("seconds")).toInteger());
            }
            return list;
        };
        // An entry belongs to the day it starts on, whole.
        QCOMPARE(titles(QDate(2026, 3, 28), QDate(2026, 3, 28)), QStringList{QStringLiteral("late/1200")});
        QCOMPARE(titles(QDate(2026, 3, 29), QDate(2026, 3, 29)),
                 (QStringList{QStringLiteral("spring/3600"), QStringLiteral("at 23:59:59/10")}));
        QCOMPARE(titles(QDate(2026, 3, 28), QDate(2026, 3, 30)).size(), 3);
        QCOMPARE(titles(QDate(2026, 10, 25), QDate(2026, 10, 25)), QStringList{QStringLiteral("autumn/10800")});

        run.from = QDate(2026, 3, 29);
        run.to = run.from;
        const QJsonObject spring = jsonRecords(exported(run)).at(0).toObject();
        QCOMPARE(spring.value(QStringLiteral("start")).toString(), QStringLiteral("2026-03-29T01:30:00+01:00"));
        QCOMPARE(spring.value(QStringLiteral("end")).toString(), QStringLiteral("2026-03-29T03:30:00+02:00"));
        const QJsonObject awayRecord = jsonRecords(exported(run)).at(1).toObject();
        QCOMPARE(awayRecord.value(QStringLiteral("away")), QJsonValue(true));
        QCOMPARE(awayRecord.value(QStringLiteral("date")).toString(), QStringLiteral("2026-03-29"));
    }

    void badCommandLinesAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        // The arguments after "--export", split at blanks.
        const auto row = [](const char *tag, const char *arguments, const char *message) {
            QTest::newRow(tag) << QStringList{QStringLiteral("--export")} +
                                      QString::fromUtf8(arguments).split(QLatin1Char(' '))
                               << QString::fromUtf8(message);
        };
        row("no such day", "2026-02-30 2026-03-01", "Not a date: \"2026-02-30\"");
        row("words", "2026-03-01 yesterday", "Not a date: \"yesterday\"");
        row("short form", "2026-3-1 2026-03-01", "expected YYYY-MM-DD");
        row("reversed", "2026-03-05 2026-03-01", "ends (2026-03-01) before it starts (2026-03-05)");
        row("format", "2026-03-01 2026-03-01 --format xml", "Unknown format \"xml\"");
        row("no end", "2026-03-01", "--export needs the last day too");
        row("extra day", "2026-03-01 2026-03-02 2026-03-03",
            "also given: 2026-03-03\nUsage: tavrodesk --export FROM TO");
    }

    void badCommandLinesAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QString database = m_dir.filePath(QStringLiteral("never.sqlite"));
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString messages;
        QCOMPARE(runCommand(arguments, database, &out, &messages), int(ExportCommand::BadUsage));
        QVERIFY2(messages.contains(message), qPrintable(messages));
        QVERIFY(out.data().isEmpty());
        QVERIFY(!QFile::exists(database));
    }

    void missingDatabaseIsAnErrorNotANewFile()
    {
        const QString database = m_dir.filePath(QStringLiteral("missing.sqlite"));
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString messages;
        QCOMPARE(runCommand({QStringLiteral("--export"), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-01")},
                            database, &out, &messages),
                 int(ExportCommand::Failed));
        QVERIFY2(messages.contains(QStringLiteral("could not open the database")), qPrintable(messages));
        QVERIFY(!QFile::exists(database));
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
