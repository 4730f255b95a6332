// Usage: bench_compositoripc
// Compositor IPC sockets that never stop sending, played by an in-process server: how long the
// client takes to give up, how much the server got to send, and the peak memory the exchange took.

#include "benchdatabase.h"
#include "fakeipcserver.h"
#include "hyprlandipc.h"
#include "hyprlandreply.h"
#include "swayipc.h"
#include "swayreply.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {
void resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly)) {
        clearRefs.write("5");
    }
}

// A tree of windows, endless: the nodes array never closes.
QByteArray treeFiller()
{
    QByteArray node = R"({"id": 7, "type": "con", "focused": false, "pid": 100, "app_id": "foot", "name": "x",)"
                      R"( "rect": {"x": 0, "y": 0, "width": 640, "height": 400}, "nodes": []}, )";
    QByteArray filler;
    while (filler.size() < 64 * 1024) {
        filler += node;
    }
    return filler;
}

void run(const char *what, const QString &path, bool sway, const QByteArray &head, const QByteArray &filler,
         int pauseMs = 0)
{
    FakeIpcServer server(path);
    server.setReply(head, filler, pauseMs);
    std::unique_ptr<CompositorIpc> ipc;
    if (sway) {
        ipc = std::make_unique<SwayIpc>(path);
    } else {
        ipc = std::make_unique<HyprlandIpc>(path);
    }
    QEventLoop loop;
    QObject::connect(ipc.get(), &CompositorIpc::answered, &loop, &QEventLoop::quit);
    const long before = peakRssKiB();
    resetPeak();
    const long base = peakRssKiB();
    QElapsedTimer timer;
    timer.start();
    ipc->ask();
    if (ipc->isAsking()) {
        loop.exec();
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const long peak = peakRssKiB();
    std::printf("%-34s gave up after %7.1f ms (floor <= %d ms); server sent %8lld KiB; peak memory +%ld KiB "
                "(process peak before %ld KiB)\n",
                what, ms, CompositorIpc::TimeoutMs, server.bytesSent() / 1024, peak - base, before);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("limits: sway payload %u KiB, Hyprland reply %lld KiB, %d ms per exchange\n",
                SwayReply::MaxPayload / 1024, qint64(HyprlandReply::MaxSize) / 1024, CompositorIpc::TimeoutMs);
    run("sway, 4 GiB announced", dir.filePath(QStringLiteral("a.sock")), true, SwayReply::header(0xFFFFFFFF),
        treeFiller());
    run("sway, endless tree at the limit", dir.filePath(QStringLiteral("b.sock")), true,
        SwayReply::header(SwayReply::MaxPayload) + R"({"id": 1, "nodes": [)", treeFiller());
    run("sway, endless trickle", dir.filePath(QStringLiteral("c.sock")), true, SwayReply::header(1000) + "{",
        QByteArray(" "), 10);
    run("Hyprland, endless title", dir.filePath(QStringLiteral("d.sock")), false, R"({"title": ")",
        QByteArray(64 * 1024, 'x'));
    run("Hyprland, endless object", dir.filePath(QStringLiteral("e.sock")), false, "[", treeFiller());
    std::printf("floor: every exchange gives up within %d ms; peak memory growth under a few times the limit\n",
                CompositorIpc::TimeoutMs);
    return 0;
}
