// Paints the timeline strip of a day of 10,000 stretches, whole and for one live addition, and
// prints the time per paint against the floor of one frame (16 ms).
#include "benchdatabase.h"
#include "timelinestrip.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QTextStream>

#include <algorithm>

namespace {
constexpr int Entries = 10000;
constexpr int Runs = 21;
constexpr double FloorMs = 16;

QList<TimelineEntry> heavyDay()
{
    QList<TimelineEntry> entries;
    qint64 start = QDateTime(QDate(2026, 3, 2), QTime(7, 0)).toSecsSinceEpoch();
    for (int i = 0; i < Entries; ++i) {
        TimelineEntry entry;
        entry.id = i + 1;
        entry.start = start;
        entry.end = start + 2 + i % 7;
        entry.appPath = QStringLiteral("/usr/bin/app%1").arg(i % 25);
        entry.appName = QStringLiteral("App %1").arg(i % 25);
        entry.title = QStringLiteral("Window %1").arg(i);
        entry.away = i % 50 == 0;
        entry.linked = i % 4 == 0;
        entry.projectId = QString::number(i % 5);
        entries << entry;
        start = entry.end;
    }
    return entries;
}

struct Figures
{
    double wall;
    double cpu;
};

// Median milliseconds of painting the whole strip into an image, as a screen update would.
Figures paintMs(TimelineStrip &strip, const QRect &area)
{
    QList<double> times;
    QList<double> cpuTimes;
    QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = processCpuMs();
        strip.render(&image, area.topLeft(), QRegion(area));
        times << timer.nsecsElapsed() / 1e6;
        cpuTimes << processCpuMs() - cpu;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    return {times.at(times.size() / 2), cpuTimes.at(cpuTimes.size() / 2)};
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTextStream out(stdout);
    TimelineStrip strip;
    strip.resize(1280, strip.minimumSizeHint().height());
    QSet<qint64> selected;
    for (qint64 id = 1; id <= Entries; id += 40) {
        selected.insert(id);
    }
    strip.setEntries(heavyDay());
    strip.setHighlighted(selected);

    const auto report = [&out](const char *what, Figures ms) {
        out << "  " << what << ms.wall << " ms wall, " << ms.cpu << " ms processor  (floor " << FloorMs << " ms: wall "
            << (ms.wall <= FloorMs ? "met" : "MISSED") << ", processor " << (ms.cpu <= FloorMs ? "met" : "MISSED")
            << ")\n";
    };
    out << "timeline of " << Entries << " stretches, " << strip.width() << " x " << strip.height()
        << " pixels, median of " << Runs << " paints:\n";
    report("whole day:            ", paintMs(strip, strip.rect()));
    const int band = strip.layout().bandRect(Entries - 1).toAlignedRect().left();
    report("one live band:        ", paintMs(strip, QRect(band - 2, 0, 8, strip.height())));
    return 0;
}
