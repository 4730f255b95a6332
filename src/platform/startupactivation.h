#pragma once

#include <QString>

// The launcher's activation of a start that only hands over to the running instance: that
// instance's window is brought forward in its name. On Wayland it is the xdg-activation token the
// compositor asks for before it lets a window take the focus; on X11 the startup notification whose
// busy cursor must end when the window is up.
namespace StartupActivation {

// "wayland:<token>" from XDG_ACTIVATION_TOKEN, else "x11:<id>" from DESKTOP_STARTUP_ID, else empty.
// Read it before the application object exists: Qt's X11 support clears DESKTOP_STARTUP_ID.
QString fromEnvironment();

// Before the window is activated: a Wayland token is handed to Qt, which uses it for the next
// activation.
void prepare(const QString &activation);
// After the window is shown: an X11 startup notification is completed ("remove"). Returns false
// when there was one and the X server could not be told.
bool complete(const QString &activation);

} // namespace StartupActivation
