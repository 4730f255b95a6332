// The ledger check at length: random steps of recording, linking, unlinking and settling against the
// development service with its faults, each followed by the full check. Prints the step rate; exits 1
// with the seed and the failing steps when the ledger goes wrong.
//
//   TZ=Europe/Berlin bench_ledger [steps=100000] [steps per sequence=200] [first seed]

#include "ledgerrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 total = args.size() > 1 ? args.at(1).toLongLong() : 100000;
    const int perSequence = args.size() > 2 ? args.at(2).toInt() : 200;
    quint32 seed = args.size() > 3 ? args.at(3).toUInt() : quint32(QDateTime::currentSecsSinceEpoch());
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.warning=false"));

    QElapsedTimer timer;
    timer.start();
    qint64 steps = 0;
    int sequences = 0;
    while (steps < total) {
        LedgerRig rig(seed);
        if (!rig.start()) {
            std::fprintf(stderr, "seed %u: cannot start: %s\n", seed, qPrintable(rig.failure()));
            return 1;
        }
        for (int step = 0; step < perSequence && steps < total; ++step, ++steps) {
            if (!rig.step()) {
                std::fprintf(stderr, "TZ=%s seed %u, step %d: %s\n%s\n", qgetenv("TZ").constData(), seed, step,
                             qPrintable(rig.failure()), qPrintable(rig.history().join(QLatin1Char('\n'))));
                return 1;
            }
        }
        ++sequences;
        ++seed;
        if (sequences % 10 == 0) {
            std::printf("%lld steps, %.1f steps/s\n", steps, double(steps) * 1000.0 / double(timer.elapsed()));
            std::fflush(stdout);
        }
    }
    std::printf("ledger: %lld steps in %d sequences, clean; %.1f steps/s (TZ=%s)\n", steps, sequences,
                double(steps) * 1000.0 / double(timer.elapsed()), qgetenv("TZ").constData());
    return 0;
}
