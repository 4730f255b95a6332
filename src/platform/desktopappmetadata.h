#pragma once

#include "appmetadata.h"
#include "desktopentry.h"

#include <QHash>
#include <QStringList>

#include <vector>

// Names and icons from the installed desktop entries: the application entry whose TryExec or
// Exec program is the executable (symlinks followed on both sides) describes it.
class DesktopAppMetadata : public AppMetadata
{
public:
    // Reads the folders named by the XDG variables at the first look-up.
    DesktopAppMetadata();
    // Data folders in precedence order; each one's "applications" folder is searched.
    explicit DesktopAppMetadata(const QStringList &dataDirs);

    QString productName(const QString &path) override;
    QIcon icon(const QString &path) override;
    QString productNameForAppId(const QString &appId) override;
    QIcon iconForAppId(const QString &appId) override;

    // The entry describing the executable at `path`, or null.
    const DesktopEntry *entryFor(const QString &path);
    // The entry whose desktop-file id is `appId` (with or without ".desktop"), else the one whose
    // StartupWMClass is `appId`; case is ignored. Null when none.
    const DesktopEntry *entryForAppId(const QString &appId);

    // $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
    static QStringList xdgDataDirs();

private:
    void buildIndex();
    void index(const QString &program, int entry);
    QIcon iconOf(const DesktopEntry *entry);
    static void setUpIconTheme(const QStringList &dataDirs);

    QStringList m_dataDirs;
    bool m_indexed = false;
    std::vector<DesktopEntry> m_entries;
    // Canonical executable path → index into m_entries.
    QHash<QString, int> m_byExecutable;
    // Lower-case desktop-file id (without ".desktop") and StartupWMClass → index into m_entries.
    QHash<QString, int> m_byId;
    QHash<QString, int> m_byWindowClass;
};
