// Builds the entry views' day trees on a large database and prints how long each step takes.
//
// The database (5 years, ~3,000 entries per working day, 300 applications, titles drawn with a
// Zipf-like spread, two heavy days of 10,000 entries) is generated once and cached under /tmp.

#include "benchdatabase.h"
#include "database.h"
#include "entrystore.h"
#include "settings.h"
#include "shellfloor.h"
#include "storedentries.h"
#include "timetext.h"
#include "treemodel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPair>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>
#include <cmath>

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
// Enough runs that a burst of other work on the machine moves the median little.
const int Runs = 31;

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

// The median CPU time of the process over the runs: the machine is shared, so the CPU time tells
// what the step costs when other work competes for the cores.
template <typename Step> double measure(Step step)
{
    QList<double> cpu;
    for (int run = 0; run < Runs; ++run) {
        const double cpuStart = processCpuMs();
        step();
        cpu << processCpuMs() - cpuStart;
    }
    return median(cpu);
}

QList<QPair<QString, QString>> dayParameters(const QDate &day)
{
    const auto literal = [](const QString &text) { return QLatin1Char('\'') + text + QLatin1Char('\''); };
    return {{QStringLiteral(":day_start"), literal(EntryStore::dayStart(day))},
            {QStringLiteral(":day_end"), literal(EntryStore::dayEnd(day))}};
}

void report(const char *name, double cpu, double target, double floor)
{
    out << floorLine(name, cpu, target, floor) << "\n";
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

    out << loadLine() << "\n";
    // Hiding short titles reads the same statement: the threshold is applied as the rows come.
    const auto dayFloor = [&path](const QDate &day, EntryStore::Link link) {
        return shellFloorMs(path, EntryStore::dayQuery(link, QString()), dayParameters(day));
    };
    const double unlinkedFloor = dayFloor(HeavyUnlinkedDay, EntryStore::Link::Unlinked);
    QList<EntryRow> rows;
    report("query alone, unlinked day",
           measure([&] { rows = EntryStore::dayEntries(HeavyUnlinkedDay, EntryStore::Link::Unlinked, QString(), 0); }),
           16, unlinkedFloor);
    out << "  " << rows.size() << " rows\n";
    const StoredEntries entries;
    TreeModel unlinked(false);
    unlinked.setEntryReader(&entries);
    report("unlinked day, 10,000 entries, tree built", measure([&] { unlinked.setupModelData(HeavyUnlinkedDay, 0); }),
           16, unlinkedFloor);
    out << "  leaves " << leafCount(unlinked) << ", total " << formatDuration(unlinked.totalTime()) << "\n";
    unlinked.setGroupByHour(true);
    report("unlinked day grouped by hour", measure([&] { unlinked.setupModelData(HeavyUnlinkedDay, 0); }), 16,
           unlinkedFloor);
    unlinked.setGroupByHour(false);
    report("unlinked day, hide under 1 minute", measure([&] { unlinked.setupModelData(HeavyUnlinkedDay, 60); }), 10,
           unlinkedFloor);
    out << "  leaves " << leafCount(unlinked) << ", total " << formatDuration(unlinked.totalTime()) << "\n";

    const double linkedFloor = dayFloor(HeavyLinkedDay, EntryStore::Link::Linked);
    TreeModel linked(true);
    linked.setEntryReader(&entries);
    report("linked day, 10,000 entries, tree built", measure([&] { linked.setupModelData(HeavyLinkedDay, 0); }), 16,
           linkedFloor);
    out << "  leaves " << leafCount(linked) << ", total " << formatDuration(linked.totalTime()) << "\n";

    QList<QDate> days;
    report("calendar marks, 5 years", measure([&] { days = EntryStore::daysWithUnlinkedTime({}); }), 5,
           shellFloorMs(path, EntryStore::daysWithUnlinkedTimeQuery({})));
    out << "  " << days.size() << " days\n";
    const QStringList ignored{QStringLiteral("/usr/bin/application-1"), QStringLiteral("/usr/bin/application-2")};
    report("calendar marks, two applications excluded",
           measure([&] { days = EntryStore::daysWithUnlinkedTime(ignored); }), 5,
           shellFloorMs(path, EntryStore::daysWithUnlinkedTimeQuery(ignored)));
    out << "  " << days.size() << " days\n";
    return 0;
}
