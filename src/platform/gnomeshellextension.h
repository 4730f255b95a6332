#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcessEnvironment>
#include <QString>

// TavroDesk's GNOME Shell extension as a user installs it: two shipped flavours (GNOME 43 and 44
// load `imports.gi` scripts with init(), GNOME 45 and later ES modules), copied into the user's
// extensions folder and enabled through org.gnome.Shell.Extensions or, for an extension the running
// shell has not seen yet, through GNOME's settings. GNOME on Wayland loads a newly installed
// extension only at the next login.
class GnomeShellExtension
{
public:
    static constexpr const char *Uuid = "focused-window@tavrodesk.org";

    enum class State {
        NotInstalled,
        // Installed, but not enabled in GNOME's settings.
        Disabled,
        // Enabled, but GNOME loads no user extensions (disable-user-extensions).
        UserExtensionsOff,
        // Enabled; the running shell has not seen it and loads it at the next login.
        NextLogin,
        // The shell tried to start it and failed.
        Failed,
        Running,
    };

    // `dataHome` is where "gnome-shell/extensions" lives; empty: $TAVRO_SESSION_DATA_HOME (set by the
    // demo, whose own XDG_DATA_HOME the shell never reads), $XDG_DATA_HOME or ~/.local/share.
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
    // Enables the extension: through the running shell when it knows the extension, otherwise in
    // GNOME's settings so that the next login loads it.
    bool enable(QString *error);
    // What is true now; `shellError` gets the shell's reason for Failed.
    State state(QString *shellError = nullptr) const;

private:
    QDBusMessage callShell(const QString &method) const;

    QDBusConnection m_bus;
    QString m_dataHome;
};
