// Reads and paints the week view for a week of heavy days (10,000 stretches each, linked,
// unlinked and away, 300 applications, 40 projects) and prints the median time of each beside the
// target of one frame (16 ms).
#include "benchdatabase.h"
#include "timetext.h"
#include "weekchart.h"
#include "weekfigures.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTextStream>

namespace {
constexpr int EntriesPerDay = 10000;
constexpr int Applications = 300;
constexpr int Runs = 21;
constexpr double TargetMs = 16;
const QDate Monday(2026, 3, 2);

void fillWeek()
{
    BenchDatabase::addApplications(Applications);
    QSqlDatabase::database().transaction();
    QSqlQuery insert;
    insert.prepare(QStringLiteral("INSERT INTO entries (title, application_id, start_time, end_time, ext_task_id, "
                                  "ext_project_id, ext_entry_id) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int day = 0; day < 7; ++day) {
        QDateTime at(Monday.addDays(day), QTime(6, 0));
        for (int i = 0; i < EntriesPerDay; ++i) {
            const QDateTime end = at.addSecs(2 + i % 7);
            const bool linked = i % 3 == 0;
            insert.addBindValue(QStringLiteral("Window %1").arg(i));
            insert.addBindValue(1 + (i * 7 + day) % Applications);
            insert.addBindValue(TimeText::formatDateTime(at));
            insert.addBindValue(TimeText::formatDateTime(end));
            insert.addBindValue(linked ? QVariant(1 + i % 90) : QVariant());
            insert.addBindValue(linked ? QVariant(1 + i % 40) : QVariant());
            insert.addBindValue(linked && i % 2 == 0 ? QVariant(100000 + i) : QVariant());
            insert.exec();
            at = end;
        }
    }
    QSqlDatabase::database().commit();
}

struct Figures
{
    double wall;
    double cpu;
};

template <typename Step> Figures measure(Step step)
{
    QList<double> wall;
    QList<double> cpu;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = processCpuMs();
        step();
        wall << timer.nsecsElapsed() / 1e6;
        cpu << processCpuMs() - cpuStart;
    }
    return {median(wall), median(cpu)};
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    BenchDatabase database;
    if (!database.isOpen()) {
        out << "cannot open " << database.path() << "\n";
        return 1;
    }
    fillWeek();

    QList<DayFigures> days;
    const Figures read = measure([&days] { days = WeekFigures::load(Monday, {}); });
    WeekChart chart;
    chart.setDays(days);
    chart.resize(1280, chart.sizeHint().height());
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    const Figures paint = measure([&] { chart.render(&image); });
    const Figures week = measure([&] {
        chart.setDays(WeekFigures::load(Monday, {}));
        chart.render(&image);
    });

    const auto report = [&out](const char *what, Figures ms) {
        out << "  " << what << ms.wall << " ms wall, " << ms.cpu << " ms processor  (target " << TargetMs
            << " ms: " << (ms.cpu <= TargetMs ? "met" : "MISSED") << ")\n";
    };
    int shares = 0;
    for (const DayFigures &day : std::as_const(days)) {
        shares += int(day.shares.size());
    }
    out << "week of 7 x " << EntriesPerDay << " stretches, " << shares << " bar parts, " << chart.width() << " x "
        << chart.height() << " pixels, median of " << Runs << " runs:\n";
    report("paint:                ", paint);
    report("read figures:         ", read);
    report("read and paint:       ", week);
    out << "  week recorded " << formatDuration(WeekDays::total(days).recorded) << ", still to book "
        << formatDuration(WeekDays::total(days).toBook) << "\n";
    return 0;
}
