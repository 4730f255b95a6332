// Cost of one sampling tick of the recorder without a window change, with warm caches, and the
// memory held across 100,000 such ticks; then a working day of 8 simulated hours with a window
// change every 30 s, the memory held after each hour (it must stay flat). The platform is faked, so
// this is the engine's own share; the X11 probe adds its own cost on top.

#include "database.h"
#include "recorder.h"
#include "recordingfakes.h"
#include "settings.h"
#include "windowprobe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
long rssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

struct Figures
{
    double median = 0;
    double p99 = 0;
};

Figures figures(std::vector<double> micros)
{
    if (micros.empty()) {
        return {};
    }
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[std::min(micros.size() - 1, micros.size() * 99 / 100)]};
}

// Runs `ticks` ticks on an open stretch and returns each tick's time in microseconds.
std::vector<double> run(Recorder &recorder, FakeClock &clock, int ticks)
{
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(ticks));
    QElapsedTimer timer;
    for (int i = 0; i < ticks; ++i) {
        clock.advance(1);
        timer.start();
        recorder.updateApps();
        micros.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
    }
    return micros;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    Database db;
    QString error;
    if (!db.open(dir.filePath(QStringLiteral("bench.sqlite")), &error)) {
        std::fprintf(stderr, "cannot open database: %s\n", qPrintable(error));
        return 1;
    }
    Database::createSchema();
    Settings::instance()->setValue(Setting::IdleEnabled, true);
    Settings::instance()->setValue(Setting::IdleLimit, 5);
    Settings::instance()->setValue(Setting::ExtensionsAdobeEnabled, true);

    FakeForegroundSource source;
    FakeAppMetadata metadata;
    FakeIdleSource idle;
    FakeClock clock;
    const QString executable = QCoreApplication::applicationFilePath();
    metadata.names[executable] = QStringLiteral("Bench Editor");
    source.show(executable, QStringLiteral("quarterly-report-final-v3.odt - Bench Editor"));
    WindowProbe probe(&source, &metadata);

    QTextStream out(stdout);
    {
        Recorder recorder(&probe, &idle, &clock);
        recorder.setRecording(true);
        run(recorder, clock, 1000);
        const long before = rssKiB();
        const Figures plain = figures(run(recorder, clock, 100000));
        const long after = rssKiB();
        out << "tick without window change, no journal (100000 ticks): median " << plain.median << " us, p99 "
            << plain.p99 << " us\n";
        out << "RSS before " << before << " KiB, after " << after << " KiB, growth " << (after - before) << " KiB\n";
    }
    {
        Recorder recorder(&probe, &idle, &clock);
        recorder.setJournalPath(dir.filePath(QStringLiteral("recording.journal")));
        recorder.setRecording(true);
        run(recorder, clock, 100);
        const std::vector<double> all = run(recorder, clock, 10000);
        // An open stretch is written to the journal every SyncIntervalSecs-th tick only. Find which
        // residue those writes fall on.
        const size_t interval = RecordingJournal::SyncIntervalSecs;
        std::vector<double> classTotal(interval, 0.0);
        for (size_t i = 0; i < all.size(); ++i) {
            classTotal[i % interval] += all[i];
        }
        const size_t phase =
            static_cast<size_t>(std::max_element(classTotal.begin(), classTotal.end()) - classTotal.begin());
        std::vector<double> cached;
        std::vector<double> synced;
        for (size_t i = 0; i < all.size(); ++i) {
            (i % interval == phase ? synced : cached).push_back(all[i]);
        }
        const Figures tick = figures(all);
        const Figures c = figures(cached);
        const Figures f = figures(synced);
        out << "with journal (10000 ticks): all ticks median " << tick.median << " us, p99 " << tick.p99
            << " us; ticks between journal writes median " << c.median << " us, p99 " << c.p99
            << " us; ticks writing the journal (every " << RecordingJournal::SyncIntervalSecs << " s) median "
            << f.median << " us, p99 " << f.p99 << " us; tick budget " << Recorder::TickIntervalMs * 1000 << " us\n";
    }
    {
        // Twenty windows in turn, each in front for 30 s, journal on: 960 stretches stored a day.
        Recorder recorder(&probe, &idle, &clock);
        recorder.setJournalPath(dir.filePath(QStringLiteral("day.journal")));
        recorder.setRecording(true);
        constexpr int Hours = 8;
        constexpr int SwitchSeconds = 30;
        QStringList hourly;
        long first = 0;
        long last = 0;
        for (int second = 0; second < Hours * 3600; ++second) {
            if (second % SwitchSeconds == 0) {
                source.show(executable, QStringLiteral("document %1 - Bench Editor").arg(second / SwitchSeconds % 20));
            }
            clock.advance(1);
            recorder.updateApps();
            if ((second + 1) % 3600 == 0) {
                last = rssKiB();
                first = first == 0 ? last : first;
                hourly << QString::number(last);
            }
        }
        out << "8 simulated hours, a window change every " << SwitchSeconds << " s: RSS after each hour "
            << hourly.join(QStringLiteral(", ")) << " KiB; growth from hour 1 to hour " << Hours << ": "
            << (last - first) << " KiB (target: flat, no growth beyond the stored rows' pages)\n";
    }
    return 0;
}
