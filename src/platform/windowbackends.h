#pragma once

#include "foregroundwindow.h"
#include "idlesource.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <memory>
#include <vector>

// A desktop backend that can tell the window in front and, perhaps, the idle time. At start the
// backends the session suggests are tried best first; the first that connects serves.
struct WindowBackend
{
    // As in TAVRO_WINDOW_SOURCE.
    const char *name;
    // Null when the backend cannot serve this session (no compositor, protocol not offered).
    std::unique_ptr<ForegroundWindowSource> (*createWindowSource)(const QProcessEnvironment &environment);
    // Null (the pointer or its result) when the backend has no idle source of its own.
    std::unique_ptr<IdleSource> (*createIdleSource)(const QProcessEnvironment &environment);
};

// The backends built in. A new desktop plugs in with one row in windowbackends.cpp.
const std::vector<WindowBackend> &windowBackends();

// Backend names, best first: TAVRO_WINDOW_SOURCE when it names a backend, else on Wayland the
// desktop's own; sway and Hyprland are followed by the generic wlroots backend; "x11" (XWayland on a
// Wayland session) always comes last.
QStringList windowBackendCandidates(const QProcessEnvironment &environment);

// WAYLAND_DISPLAY set or XDG_SESSION_TYPE=wayland.
bool isWaylandSession(const QProcessEnvironment &environment);
