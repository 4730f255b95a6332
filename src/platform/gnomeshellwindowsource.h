#pragma once

#include "reportedwindowsource.h"

#include <QDBusConnection>

class BusNameOwner;
class QDBusMessage;

// The focused window as TavroDesk's GNOME Shell extension publishes it on the session bus. Only
// GNOME Shell's own connection is believed: the extension's name must be owned by the connection
// that owns org.gnome.Shell, and so must the sender of every FocusChanged signal.
class GnomeShellWindowSource : public ReportedWindowSource
{
    Q_OBJECT

public:
    static constexpr const char *ServiceName = "org.tavrodesk.FocusedWindow";
    static constexpr const char *ObjectPath = "/org/tavrodesk/FocusedWindow";
    static constexpr const char *InterfaceName = "org.tavrodesk.FocusedWindow";

    GnomeShellWindowSource(const QDBusConnection &bus, std::unique_ptr<ForegroundWindowSource> fallback,
                           QObject *parent = nullptr);

    QString description() const override;
    // Looks again whether the extension answers, and if not, why; also after it was installed or
    // enabled, which changes the note.
    void check();

private Q_SLOTS:
    void onFocusChanged(const QDBusMessage &message);

private:
    QString notRunningNote() const;
    void take(const QDBusMessage &message);

    QDBusConnection m_bus;
    BusNameOwner *m_shell;
    BusNameOwner *m_extension;
};
