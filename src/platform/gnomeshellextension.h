#pragma once

#include "buildinfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcessEnvironment>
#include <QString>

// TavroDesk's GNOME Shell extension as a user installs it: two shipped flavours (GNOME 43 and 44
// load `imports.gi` scripts with init(), GNOME 45 and later ES modules), copied into the user's
// extensions folder and enabled through org.gnome.Shell.Extensions. GNOME on Wayland loads a newly
// installed extension only at the next login.
class GnomeShellExtension
{
public:
    static constexpr const char *Uuid = BuildInfo::GnomeExtensionUuid;
    // The uuid of earlier versions, before it was derived from the app id.
    static constexpr const char *EarlierUuid = "focused-window@tavrodesk.org";

    // `dataHome` is where "gnome-shell/extensions" lives; empty: $XDG_DATA_HOME or ~/.local/share.
    explicit GnomeShellExtension(const QDBusConnection &bus, const QString &dataHome = {});

    // A GNOME session on Wayland: the only case that needs the extension.
    static bool isGnomeWayland(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    QString folder() const;
    // The running shell's version ("43.9"), empty when no shell answers.
    QString shellVersion() const;
    // The shipped flavour for a shell version: "43" (GNOME 43, 44) or "45" (GNOME 45 and later).
    static QString flavourFor(const QString &shellVersion);
    // The "version" of the shipped flavour's metadata.
    static int shippedVersion(const QString &flavour);

    bool isInstalled() const;
    // Installed, but older than the shipped one or made for another shell release.
    bool isOutdated(const QString &shellVersion) const;

    // Writes the flavour for `shellVersion` into folder(), replacing what was there.
    bool install(const QString &shellVersion, QString *error);
    // Asks the shell to enable the extension (it then loads at the next login on Wayland).
    bool enable(QString *error);

    // A copy installed under the earlier uuid, which only the user's consent put there.
    bool hasEarlierCopy() const;
    // Installs and enables the extension under its uuid in place of the earlier copy, which is
    // switched off and removed; the earlier copy stays when the new one cannot be installed.
    bool replaceEarlierCopy(const QString &shellVersion, QString *error);

private:
    QString earlierFolder() const;
    QDBusMessage callExtensions(const QString &method, const QString &uuid) const;

    QDBusConnection m_bus;
    QString m_dataHome;
};
