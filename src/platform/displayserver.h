#pragma once

#include <QProcessEnvironment>
#include <QString>

// Which display server the window can reach, decided before Qt tries one: Qt ends the process
// (status 134) when its Wayland platform cannot reach the compositor.
namespace DisplayServer {

// Checks the Wayland compositor the environment names and, when it cannot be reached but an X
// display is set, makes Qt use XWayland/X11 instead. Returns why no display server can be reached,
// empty when one can (or when the platform is chosen by hand, e.g. QT_QPA_PLATFORM=offscreen).
QString choosePlatform(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// On X11, has Qt send window contents in plain image requests instead of shared memory, unless
// the user chose with QT_XCB_NO_MITSHM. With shared memory each repaint first waits for the server
// to finish reading the previous one: a round trip and two thread switches for every frame of
// the tray icon, twice a second while recording. True when it set the switch, which the caller
// clears once the application object exists.
bool avoidSharedMemoryImages(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// The compositor's socket as the environment names it: WAYLAND_DISPLAY (default "wayland-0"),
// relative to XDG_RUNTIME_DIR unless absolute.
QString waylandSocketPath(const QProcessEnvironment &environment);

} // namespace DisplayServer
