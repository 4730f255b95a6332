// Usage: bench_probe [--own-display]
// X11: uses $DISPLAY when set, else (or with --own-display) starts Xvfb, openbox and an xterm.
// Wayland: always starts a private headless sway with two foot windows.

#include "desktopappmetadata.h"
#include "swaysession.h"
#include "windowbackends.h"
#include "x11foregroundwindowsource.h"
#include "x11idlesource.h"
#include "xvfbsession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {
long residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

void timeIt(const char *what, int runs, const std::function<void()> &call)
{
    std::vector<double> micros;
    micros.reserve(size_t(runs));
    QElapsedTimer timer;
    for (int i = 0; i < runs; ++i) {
        timer.start();
        call();
        micros.push_back(double(timer.nsecsElapsed()) / 1000.0);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("%-28s median %7.1f us   p99 %7.1f us   (%d runs)\n", what, micros[micros.size() / 2],
                micros[micros.size() * 99 / 100], runs);
}

// The foreign-toplevel source under sway: samples from the kept state, and memory while the
// compositor sends focus and title events.
int benchWayland()
{
    SwaySession sway;
    QString error;
    if (!sway.start(&error)) {
        std::fprintf(stderr, "cannot start sway: %s\n", qPrintable(error));
        return 1;
    }
    constexpr int TitleEvents = 5000;
    const QString retitle = QStringLiteral("i=0; while [ $i -lt %1 ]; do printf '\\033]2;t%d\\007' $i; i=$((i+1)); "
                                           "done; exec sleep 1000")
                                .arg(TitleEvents);
    if (!sway.startFoot(QStringLiteral("a")) || !sway.waitForTitle(QStringLiteral("a"))) {
        std::fprintf(stderr, "foot does not come up\n");
        return 1;
    }
    auto source = createForegroundWindowSource(sway.environment());
    auto idle = createIdleSource(sway.environment());
    const ForegroundSample first = source->sample();
    std::printf("\nWayland: %s, idle %s, path \"%s\", title \"%s\"\n", qPrintable(source->description()),
                qPrintable(idle->description()), qPrintable(first.path), qPrintable(first.title));
    for (int i = 0; i < 100; ++i) {
        source->sample();
    }
    timeIt("Wayland sample()", 1000, [&] { source->sample(); });
    timeIt("Wayland idleSeconds()", 1000, [&] { idle->idleSeconds(); });

    constexpr int Long = 100000;
    const long before = residentKiB();
    for (int i = 0; i < Long; ++i) {
        source->sample();
    }
    const long afterSamples = residentKiB();
    // Focus events: one swaymsg carries many focus commands; title events: a window retitling itself.
    if (!sway.startFoot(QStringLiteral("b"), {}, {QStringLiteral("sh"), QStringLiteral("-c"), retitle})) {
        return 1;
    }
    constexpr int FocusRounds = 10;
    constexpr int FocusPerRound = 1000;
    QStringList focus;
    for (int i = 0; i < FocusPerRound / 2; ++i) {
        focus << QStringLiteral("[title=\"^a$\"] focus") << QStringLiteral("[title=\"^t\\d+$\"] focus");
    }
    // The first rounds fill buffers and hash tables once; later rounds must not add to that.
    std::printf("RSS before %ld KiB, after %d samples %ld KiB; after each 1000 focus events (title events run "
                "alongside, %d in all):",
                before, Long, afterSamples, TitleEvents);
    for (int round = 0; round < FocusRounds; ++round) {
        sway.swaymsg({focus.join(QStringLiteral("; "))});
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300) {
            source->sample();
            QThread::msleep(1);
        }
        std::printf(" %ld", residentKiB());
    }
    std::printf(" KiB\n");
    std::printf("floor: Wayland sample() median <= 20 us; no memory growth\n");
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    XvfbSession session;
    QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty() || app.arguments().contains(QStringLiteral("--own-display"))) {
        QString error;
        if (!session.start(true, &error) || !session.startClient(QStringLiteral("xterm"), {})) {
            std::fprintf(stderr, "cannot start a private X server: %s\n", qPrintable(error));
            return 1;
        }
        const quint64 xterm = session.waitForWindow({QStringLiteral("--class"), QStringLiteral("xterm")});
        if (!xterm || !session.activate(xterm)) {
            std::fprintf(stderr, "the xterm does not come up\n");
            return 1;
        }
        display = session.display();
    }
    auto source = X11ForegroundWindowSource::connect(display);
    auto idle = X11IdleSource::connect(display);
    if (!source || !idle) {
        std::fprintf(stderr, "no X server on %s\n", display.constData());
        return 1;
    }
    const ForegroundSample first = source->sample();
    std::printf("display %s, window 0x%llx, path \"%s\", title \"%s\"\n", display.constData(),
                static_cast<unsigned long long>(first.window), qPrintable(first.path), qPrintable(first.title));

    for (int i = 0; i < 100; ++i) {
        source->sample();
    }
    timeIt("sample()", 1000, [&] { source->sample(); });
    timeIt("idleSeconds()", 1000, [&] { idle->idleSeconds(); });

    QElapsedTimer indexTimer;
    indexTimer.start();
    DesktopAppMetadata metadata;
    const QString name = metadata.productName(first.path);
    std::printf("desktop-entry index + first look-up: %.1f ms (name \"%s\")\n", double(indexTimer.nsecsElapsed()) / 1e6,
                qPrintable(name));
    timeIt("productName() after index", 1000, [&] { metadata.productName(first.path); });

    constexpr int Long = 100000;
    const long before = residentKiB();
    for (int i = 0; i < Long; ++i) {
        source->sample();
    }
    const long after = residentKiB();
    std::printf("RSS before %ld KiB, after %d samples %ld KiB (growth %ld KiB)\n", before, Long, after, after - before);
    return benchWayland();
}
