// Exports a month of recorded time (66,000 entries over 31 days, a tenth of them linked) as CSV
// and as JSON, and prints how long reading and writing take against the floor of one second.
#include "benchdatabase.h"
#include "entryexport.h"
#include "exportreader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

namespace {
constexpr int Entries = 66000;
constexpr int Applications = 30;
constexpr int Runs = 5;
constexpr double FloorMs = 1000;
const QDate First(2026, 3, 1);
const QDate Last(2026, 3, 31);

void fill()
{
    QSqlDatabase::database().transaction();
    BenchDatabase::addApplications(Applications);
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id, "
                                 "ext_task_name, ext_project_id, ext_project_name, ext_entry_id) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    const int perDay = Entries / 31 + 1;
    int written = 0;
    for (QDate day = First; day <= Last && written < Entries; day = day.addDays(1)) {
        QDateTime start(day, QTime(5, 0));
        for (int i = 0; i < perDay && written < Entries; ++i, ++written) {
            const QDateTime end = start.addSecs(10 + i % 30);
            const bool linked = written % 10 == 0;
            query.addBindValue(QStringLiteral("Report, \"draft %1\" - section %2").arg(i % 97).arg(i % 13));
            query.addBindValue(1 + written % Applications);
            query.addBindValue(start.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            query.addBindValue(end.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            query.addBindValue(linked ? QVariant(1000 + written % 7) : QVariant());
            query.addBindValue(linked ? QVariant(QStringLiteral("Task")) : QVariant());
            query.addBindValue(linked ? QVariant(10) : QVariant());
            query.addBindValue(linked ? QVariant(QStringLiteral("Project")) : QVariant());
            query.addBindValue(linked ? QVariant(90000 + written) : QVariant());
            query.exec();
            start = end;
        }
    }
    QSqlDatabase::database().commit();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    BenchDatabase database;
    if (!database.isOpen()) {
        out << "could not open a database in a temporary folder\n";
        return 1;
    }
    fill();

    {
        QElapsedTimer timer;
        timer.start();
        const double cpu = processCpuMs();
        const QList<ExportRecord> records = ExportReader::read(First, Last);
        out << "reading the " << records.size() << " records alone: " << timer.nsecsElapsed() / 1e6 << " ms wall, "
            << processCpuMs() - cpu << " ms processor\n";
    }

    EntryExport run;
    run.from = First;
    run.to = Last;
    out << "exporting " << Entries << " entries of " << First.toString(Qt::ISODate) << " to "
        << Last.toString(Qt::ISODate) << ", median of " << Runs << " runs:\n";
    for (const auto format : {ExportWriter::Format::Csv, ExportWriter::Format::Json}) {
        run.format = format;
        QList<double> times;
        QList<double> cpuTimes;
        qint64 bytes = 0;
        for (int i = 0; i < Runs; ++i) {
            const QString path = database.path() + QStringLiteral(".out");
            QElapsedTimer timer;
            timer.start();
            const double cpu = processCpuMs();
            QString error;
            if (!run.writeFile(path, &error)) {
                out << error << "\n";
                return 1;
            }
            times << timer.nsecsElapsed() / 1e6;
            cpuTimes << processCpuMs() - cpu;
            bytes = QFileInfo(path).size();
        }
        const double ms = median(times);
        const double cpu = median(cpuTimes);
        out << "  " << (format == ExportWriter::Format::Csv ? "csv " : "json") << ": " << ms << " ms wall, " << cpu
            << " ms processor  (floor " << FloorMs << " ms: wall " << (ms <= FloorMs ? "met" : "MISSED")
            << ", processor " << (cpu <= FloorMs ? "met" : "MISSED") << "), " << bytes / 1024 << " KiB\n";
    }
    return 0;
}
