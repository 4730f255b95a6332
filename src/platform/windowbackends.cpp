#include "windowbackends.h"

#include "dbusidlesource.h"
#include "gnomeshellwindowsource.h"
#include "hyprlandipc.h"
#include "kwinscriptwindowsource.h"
#include "logging.h"
#include "nullforegroundwindowsource.h"
#include "nullidlesource.h"
#include "settingsfile.h"
#include "swayipc.h"
#include "waylandidlesource.h"
#include "wlrootsforegroundwindowsource.h"
#include "x11foregroundwindowsource.h"
#include "x11idlesource.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {
const QStringList KnownBackends{QStringLiteral("x11"),      QStringLiteral("wlroots"), QStringLiteral("sway"),
                                QStringLiteral("hyprland"), QStringLiteral("gnome"),   QStringLiteral("kde")};

// An empty display would make xcb fall back to this process's $DISPLAY, not the environment's.
std::unique_ptr<ForegroundWindowSource> createX11WindowSource(const QProcessEnvironment &environment)
{
    const QByteArray display = environment.value(QStringLiteral("DISPLAY")).toLocal8Bit();
    return display.isEmpty() ? nullptr : X11ForegroundWindowSource::connect(display, isWaylandSession(environment));
}

std::unique_ptr<IdleSource> createX11IdleSource(const QProcessEnvironment &environment)
{
    const QByteArray display = environment.value(QStringLiteral("DISPLAY")).toLocal8Bit();
    return display.isEmpty() ? nullptr : X11IdleSource::connect(display);
}

// The compositor's socket as the environment names it; libwayland would read this process's own
// variables instead.
QByteArray waylandSocket(const QProcessEnvironment &environment)
{
    QString name = environment.value(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    const QString runtimeDir = environment.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!QDir::isAbsolutePath(name) && !runtimeDir.isEmpty()) {
        name = runtimeDir + QLatin1Char('/') + name;
    }
    return QFile::encodeName(name);
}

std::unique_ptr<ForegroundWindowSource> createWlrootsWindowSource(const QProcessEnvironment &environment)
{
    return WlrootsForegroundWindowSource::connect(waylandSocket(environment), QStringLiteral("wlroots"), nullptr);
}

std::unique_ptr<ForegroundWindowSource> createSwayWindowSource(const QProcessEnvironment &environment)
{
    const QString socket = environment.value(QStringLiteral("SWAYSOCK"));
    return WlrootsForegroundWindowSource::connect(waylandSocket(environment), QStringLiteral("sway"),
                                                  socket.isEmpty() ? nullptr : std::make_unique<SwayIpc>(socket));
}

std::unique_ptr<ForegroundWindowSource> createHyprlandWindowSource(const QProcessEnvironment &environment)
{
    const QString instance = environment.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE"));
    std::unique_ptr<CompositorIpc> ipc;
    if (!instance.isEmpty()) {
        // Older versions kept the socket under /tmp.
        QString socket = environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QStringLiteral("/hypr/") + instance +
                         QStringLiteral("/.socket.sock");
        if (!QFileInfo::exists(socket)) {
            socket = QStringLiteral("/tmp/hypr/") + instance + QStringLiteral("/.socket.sock");
        }
        ipc = std::make_unique<HyprlandIpc>(socket);
    }
    return WlrootsForegroundWindowSource::connect(waylandSocket(environment), QStringLiteral("Hyprland"),
                                                  std::move(ipc));
}

std::unique_ptr<IdleSource> createWaylandIdleSource(const QProcessEnvironment &environment)
{
    return WaylandIdleSource::connect(waylandSocket(environment));
}

// The session bus when `service` runs on it: the desktop's own helpers are reached there.
std::optional<QDBusConnection> busWith(const QString &service)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(service)) {
        return std::nullopt;
    }
    return bus;
}

// XWayland windows while the desktop's helper does not answer.
std::unique_ptr<ForegroundWindowSource> fallbackWindowSource(const QProcessEnvironment &environment)
{
    std::unique_ptr<ForegroundWindowSource> x11 = createX11WindowSource(environment);
    if (x11) {
        return x11;
    }
    return std::make_unique<NullForegroundWindowSource>();
}

std::unique_ptr<ForegroundWindowSource> createGnomeWindowSource(const QProcessEnvironment &environment)
{
    const auto bus = busWith(QStringLiteral("org.gnome.Shell"));
    return bus ? std::make_unique<GnomeShellWindowSource>(*bus, fallbackWindowSource(environment)) : nullptr;
}

std::unique_ptr<IdleSource> createGnomeIdleSource(const QProcessEnvironment &)
{
    // A busy shell may answer late at start; the name is enough (a missed answer reads as 0).
    const auto bus = busWith(QStringLiteral("org.gnome.Mutter.IdleMonitor"));
    return bus ? DBusIdleSource::mutter(*bus) : nullptr;
}

std::unique_ptr<ForegroundWindowSource> createKdeWindowSource(const QProcessEnvironment &environment)
{
    const auto bus = busWith(QStringLiteral("org.kde.KWin"));
    // The script is rewritten at every start, so it always matches this version of the program.
    const QString scriptFolder = SettingsFile::dataFolder() + QStringLiteral("/kwin");
    return bus ? std::make_unique<KWinScriptWindowSource>(*bus, scriptFolder, fallbackWindowSource(environment))
               : nullptr;
}

std::unique_ptr<IdleSource> createKdeIdleSource(const QProcessEnvironment &environment)
{
    if (auto wayland = WaylandIdleSource::connect(waylandSocket(environment))) {
        return wayland;
    }
    const auto bus = busWith(QStringLiteral("org.freedesktop.ScreenSaver"));
    return bus ? DBusIdleSource::screenSaver(*bus) : nullptr;
}

QString waylandDesktop(const QProcessEnvironment &environment)
{
    if (!environment.value(QStringLiteral("SWAYSOCK")).isEmpty()) {
        return QStringLiteral("sway");
    }
    if (!environment.value(QStringLiteral("HYPRLAND_INSTANCE_SIGNATURE")).isEmpty()) {
        return QStringLiteral("hyprland");
    }
    const QStringList desktops =
        environment.value(QStringLiteral("XDG_CURRENT_DESKTOP")).toLower().split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &desktop : desktops) {
        if (desktop == QLatin1String("gnome") || desktop == QLatin1String("kde") || desktop == QLatin1String("sway") ||
            desktop == QLatin1String("hyprland")) {
            return desktop;
        }
    }
    // river, labwc, wayfire and the other wlroots compositors.
    return QStringLiteral("wlroots");
}
} // namespace

const std::vector<WindowBackend> &windowBackends()
{
    static const std::vector<WindowBackend> backends{
        {"x11", createX11WindowSource, createX11IdleSource},
        {"wlroots", createWlrootsWindowSource, createWaylandIdleSource},
        {"sway", createSwayWindowSource, createWaylandIdleSource},
        {"hyprland", createHyprlandWindowSource, createWaylandIdleSource},
        {"gnome", createGnomeWindowSource, createGnomeIdleSource},
        {"kde", createKdeWindowSource, createKdeIdleSource},
    };
    return backends;
}

QStringList windowBackendCandidates(const QProcessEnvironment &environment)
{
    QStringList candidates;
    const QString requested = environment.value(QStringLiteral("TAVRO_WINDOW_SOURCE")).trimmed().toLower();
    if (KnownBackends.contains(requested)) {
        candidates << requested;
    } else if (!requested.isEmpty()) {
        qCWarning(lcPlatform) << "TAVRO_WINDOW_SOURCE names no window source:" << requested << "- expected one of"
                              << KnownBackends.join(QLatin1Char('|'));
    }
    if (candidates.isEmpty() && isWaylandSession(environment)) {
        candidates << waylandDesktop(environment);
    }
    if (candidates.contains(QLatin1String("sway")) || candidates.contains(QLatin1String("hyprland"))) {
        candidates << QStringLiteral("wlroots");
    }
    if (!candidates.contains(QLatin1String("x11"))) {
        candidates << QStringLiteral("x11");
    }
    return candidates;
}

bool isWaylandSession(const QProcessEnvironment &environment)
{
    return environment.value(QStringLiteral("XDG_SESSION_TYPE"))
                   .compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0 ||
           !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty();
}

namespace {
const WindowBackend *findBackend(const QString &name)
{
    for (const WindowBackend &backend : windowBackends()) {
        if (name == QLatin1String(backend.name)) {
            return &backend;
        }
    }
    return nullptr;
}

// The first candidate whose `create` gives a source, else `Fallback`; `what` names the kind in the log.
template <typename Source, typename Fallback, typename Create>
std::unique_ptr<Source> firstSource(const QProcessEnvironment &environment, const char *what, Create create)
{
    for (const QString &name : windowBackendCandidates(environment)) {
        const WindowBackend *backend = findBackend(name);
        std::unique_ptr<Source> source = backend ? create(*backend, environment) : nullptr;
        if (source) {
            qCDebug(lcPlatform).noquote() << what << "source:" << source->description();
            return source;
        }
        qCDebug(lcPlatform).noquote() << what << "source" << name
                                      << (backend ? "cannot serve this session" : "is not built in");
    }
    std::unique_ptr<Source> fallback = std::make_unique<Fallback>();
    qCDebug(lcPlatform).noquote() << what << "source:" << fallback->description();
    return fallback;
}
} // namespace

std::unique_ptr<ForegroundWindowSource> createForegroundWindowSource(const QProcessEnvironment &environment)
{
    return firstSource<ForegroundWindowSource, NullForegroundWindowSource>(
        environment, "Window",
        [](const WindowBackend &backend, const QProcessEnvironment &env) { return backend.createWindowSource(env); });
}

std::unique_ptr<IdleSource> createIdleSource(const QProcessEnvironment &environment)
{
    return firstSource<IdleSource, NullIdleSource>(
        environment, "Idle", [](const WindowBackend &backend, const QProcessEnvironment &env) {
            return backend.createIdleSource ? backend.createIdleSource(env) : nullptr;
        });
}
