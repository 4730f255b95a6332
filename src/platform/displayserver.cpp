#include "displayserver.h"

#include <QDir>
#include <QLocalSocket>

namespace {
constexpr int ConnectTimeoutMs = 1000;

bool reachable(const QString &socketPath)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(ConnectTimeoutMs);
}
} // namespace

QString DisplayServer::waylandSocketPath(const QProcessEnvironment &environment)
{
    const QString name = environment.value(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    if (QDir::isAbsolutePath(name)) {
        return name;
    }
    return environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QLatin1Char('/') + name;
}

QString DisplayServer::choosePlatform(const QProcessEnvironment &environment)
{
    const QString forced = environment.value(QStringLiteral("QT_QPA_PLATFORM"));
    const bool wantsWayland =
        forced.startsWith(QLatin1String("wayland")) ||
        (forced.isEmpty() && (environment.contains(QStringLiteral("WAYLAND_DISPLAY")) ||
                              environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland")));
    if (!wantsWayland) {
        return {};
    }
    const QString socket = waylandSocketPath(environment);
    if (reachable(socket)) {
        return {};
    }
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return {};
    }
    return QStringLiteral("TavroDesk cannot reach the Wayland compositor at %1, and no X display (DISPLAY) is set. "
                          "Start TavroDesk inside the desktop session, or set WAYLAND_DISPLAY or DISPLAY.")
        .arg(socket);
}

bool DisplayServer::avoidSharedMemoryImages(const QProcessEnvironment &environment)
{
    if (environment.contains(QStringLiteral("QT_XCB_NO_MITSHM"))) {
        return false;
    }
    qputenv("QT_XCB_NO_MITSHM", "1");
    return true;
}
