// Builds the entry views' day trees on a large database and prints how long each step takes.
//
// The database (5 years, ~3,000 entries per working day, 300 applications, titles drawn with a
// Zipf-like spread, two heavy days of 10,000 entries) is generated once and cached under /tmp.

#include "database.h"
#include "entrystore.h"
#include "settings.h"
#include "timetext.h"
#include "treemodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

const QDate FirstDay(2021, 1, 4);
const int Days = 5 * 365;
const int Applications = 300;
const int TitlesPerApplication = 400;
const int EntriesPerWorkingDay = 3000;
const int HeavyEntries = 10000;
// The heavy days: one with only unlinked entries, one with only linked entries.
const QDate HeavyUnlinkedDay(2025, 11, 12);
const QDate HeavyLinkedDay(2025, 11, 13);
// Older days are mostly linked, as they would be after the user worked through them.
const QDate MostlyLinkedBefore(2025, 10, 1);
const int Runs = 7;

QTextStream out(stdout);

// Index into [0, n) with probability falling like 1/(k+1).
int zipf(QRandomGenerator &random, int n)
{
    const double u = random.generateDouble();
    return std::min(n - 1, int(std::exp(u * std::log(double(n) + 1.0)) - 1.0));
}

class Generator
{
public:
    Generator()
        : m_random(20260101)
    {
        m_insert.prepare(QStringLiteral(
            "INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id, ext_entry_id, "
            "ext_project_id, ext_tasklist_id, ext_task_name, ext_project_name, ext_tasklist_name) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    }

    void applications()
    {
        QSqlQuery app;
        app.prepare(QStringLiteral("INSERT INTO applications (path, name) VALUES (?, ?)"));
        for (int i = 1; i <= Applications; ++i) {
            app.addBindValue(QStringLiteral("/usr/bin/application-%1").arg(i));
            app.addBindValue(QStringLiteral("Application %1").arg(i));
            app.exec();
        }
    }

    void day(const QDate &date, int count, int linkedPercent, int secondsPerEntry)
    {
        QDateTime at(date, QTime(date == HeavyUnlinkedDay || date == HeavyLinkedDay ? 0 : 8, 0));
        for (int i = 0; i < count; ++i) {
            const int seconds = 1 + int(m_random.bounded(2 * secondsPerEntry));
            const QDateTime end = at.addSecs(seconds);
            const int app = 1 + zipf(m_random, Applications);
            const int title = zipf(m_random, TitlesPerApplication);
            const bool linked = int(m_random.bounded(100)) < linkedPercent;
            const int task = 1 + (app * 7 + title) % 40;
            m_insert.addBindValue(QStringLiteral("Document %1 - Application %2").arg(title).arg(app));
            m_insert.addBindValue(app);
            m_insert.addBindValue(TimeText::formatDateTime(at));
            m_insert.addBindValue(TimeText::formatDateTime(end));
            m_insert.addBindValue(linked ? QVariant(task) : QVariant());
            m_insert.addBindValue(linked ? QVariant(100000 + task) : QVariant());
            m_insert.addBindValue(linked ? QVariant(1 + task % 5) : QVariant());
            m_insert.addBindValue(linked ? QVariant(10 + task % 12) : QVariant());
            m_insert.addBindValue(linked ? QVariant(QStringLiteral("Task %1").arg(task)) : QVariant());
            m_insert.addBindValue(linked ? QVariant(QStringLiteral("Project %1").arg(1 + task % 5)) : QVariant());
            m_insert.addBindValue(linked ? QVariant(QStringLiteral("List %1").arg(10 + task % 12)) : QVariant());
            m_insert.exec();
            at = end.addSecs(m_random.bounded(3));
        }
        m_rows += count;
    }

    qint64 rows() const { return m_rows; }

private:
    QRandomGenerator m_random;
    QSqlQuery m_insert;
    qint64 m_rows = 0;
};

void generate()
{
    Database::createSchema();
    QSqlDatabase::database().transaction();
    Generator generator;
    generator.applications();
    for (int i = 0; i < Days; ++i) {
        const QDate date = FirstDay.addDays(i);
        if (date == HeavyUnlinkedDay) {
            generator.day(date, HeavyEntries, 0, 4);
        } else if (date == HeavyLinkedDay) {
            generator.day(date, HeavyEntries, 100, 4);
        } else if (date.dayOfWeek() <= 5) {
            generator.day(date, EntriesPerWorkingDay, date < MostlyLinkedBefore ? 95 : 10, 4);
        }
    }
    QSqlDatabase::database().commit();
    out << "generated " << generator.rows() << " entries\n";
}

double cpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Prints the median wall time and the median CPU time of the process: the machine is shared, so
// the CPU time tells what the step costs when other work competes for the cores.
template <typename Step> void measure(const char *name, double target, Step step)
{
    QList<double> wall;
    QList<double> cpu;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        const double cpuStart = cpuMs();
        timer.start();
        step();
        wall << timer.nsecsElapsed() / 1e6;
        cpu << cpuMs() - cpuStart;
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    out << QStringLiteral("%1: median %2 ms (best %3, worst %4), cpu median %5 ms (target <= %6 ms)\n")
               .arg(QLatin1String(name))
               .arg(wall.at(wall.size() / 2), 0, 'f', 1)
               .arg(wall.first(), 0, 'f', 1)
               .arg(wall.last(), 0, 'f', 1)
               .arg(cpu.at(cpu.size() / 2), 0, 'f', 1)
               .arg(target);
    out.flush();
}

int leafCount(const TreeModel &model, const QModelIndex &parent = QModelIndex())
{
    int leaves = 0;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        leaves += model.rowCount(child) == 0 ? 1 : leafCount(model, child);
    }
    return leaves;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString path = QStringLiteral("/tmp/tavro-bench-dayview.sqlite");
    const bool cached = QFile::exists(path);
    Database database;
    QString error;
    if (!database.open(path, &error)) {
        out << "cannot open " << path << ": " << error << "\n";
        return 1;
    }
    if (!cached) {
        QElapsedTimer timer;
        timer.start();
        generate();
        out << "generation took " << timer.elapsed() / 1000.0 << " s\n";
    }
    QElapsedTimer schema;
    schema.start();
    Database::createSchema();
    out << "schema statements took " << schema.elapsed() << " ms\n";
    QSqlQuery count(QStringLiteral("SELECT COUNT(*) FROM entries"));
    count.next();
    out << "database " << path << ": " << count.value(0).toLongLong() << " entries\n";

    QList<EntryRow> rows;
    measure("query alone, unlinked day", 50,
            [&] { rows = EntryStore::dayEntries(HeavyUnlinkedDay, EntryStore::Link::Unlinked, QString(), 0); });
    out << "  " << rows.size() << " rows\n";
    TreeModel unlinked(false);
    measure("unlinked day, 10,000 entries", 50, [&] { unlinked.setupModelData(HeavyUnlinkedDay, 0); });
    out << "  leaves " << leafCount(unlinked) << ", total " << formatDuration(unlinked.totalTime()) << "\n";
    unlinked.setGroupByHour(true);
    measure("unlinked day grouped by hour", 50, [&] { unlinked.setupModelData(HeavyUnlinkedDay, 0); });
    unlinked.setGroupByHour(false);
    measure("unlinked day, hide under 1 minute", 100, [&] { unlinked.setupModelData(HeavyUnlinkedDay, 60); });
    out << "  leaves " << leafCount(unlinked) << ", total " << formatDuration(unlinked.totalTime()) << "\n";

    measure("query alone, linked day", 50,
            [&] { rows = EntryStore::dayEntries(HeavyLinkedDay, EntryStore::Link::Linked, QString(), 0); });
    TreeModel linked(true);
    measure("linked day, 10,000 entries", 50, [&] { linked.setupModelData(HeavyLinkedDay, 0); });
    out << "  leaves " << leafCount(linked) << ", total " << formatDuration(linked.totalTime()) << "\n";

    QList<QDate> days;
    measure("days with unlinked time", 50, [&] { days = EntryStore::daysWithUnlinkedTime({}); });
    out << "  " << days.size() << " days\n";
    const QStringList ignored{QStringLiteral("/usr/bin/application-1"), QStringLiteral("/usr/bin/application-2")};
    measure("days with unlinked time, two excluded", 50, [&] { days = EntryStore::daysWithUnlinkedTime(ignored); });
    out << "  " << days.size() << " days\n";
    return 0;
}
