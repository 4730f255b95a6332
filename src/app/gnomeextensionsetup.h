#pragma once

#include "gnomeshellextension.h"

#include <QObject>

class QAction;
class QWidget;

// Brings TavroDesk's GNOME Shell extension onto a GNOME Wayland desktop with the user's consent:
// asks once at the first start, offers a menu entry for later, installs and enables it, replaces an
// installed copy that a newer TavroDesk outdated and enables an installed copy again.
class GnomeExtensionSetup : public QObject
{
    Q_OBJECT

public:
    GnomeExtensionSetup(const QDBusConnection &bus, const QString &dataHome, QWidget *parent);

    // The menu entry that installs the extension.
    QAction *action() const { return m_action; }

    // Run once at start: asks the first time, otherwise brings an installed copy up to date and
    // enabled (the user agreed once).
    void startUp();
    // Installs and enables the extension and tells the user how it goes on. Returns whether it worked.
    bool install();

    static QString consentText();
    // What the user is told after installing, for the state the extension is then in.
    static QString installedText(GnomeShellExtension::State state);

Q_SIGNALS:
    // The extension was installed, replaced or enabled: what is recorded may change.
    void extensionChanged();

private:
    GnomeShellExtension m_extension;
    QWidget *m_window;
    QAction *m_action;
};
