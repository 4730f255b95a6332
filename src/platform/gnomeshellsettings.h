#pragma once

#include <QString>
#include <QStringList>

// The shell's extension switches in the user's GSettings (dconf on a desktop): which extensions
// load when GNOME Shell starts. A running shell on Wayland reads new entries only for extensions it
// already knows; the others load at the next login.
class GnomeShellSettings
{
public:
    // False when the org.gnome.shell schema is not installed (no GNOME Shell on this machine).
    static bool isAvailable();

    // Listed in enabled-extensions and not in disabled-extensions, which takes precedence.
    static bool isEnabled(const QString &uuid);
    // The user (or an administrator) switched all user extensions off: none loads, ours included.
    static bool userExtensionsDisabled();

    // Adds `uuid` to enabled-extensions, keeping the other entries, and takes it off
    // disabled-extensions, as the shell does for an extension it knows. disable-user-extensions is
    // the user's choice and stays as it is.
    static bool enable(const QString &uuid, QString *error);
};
