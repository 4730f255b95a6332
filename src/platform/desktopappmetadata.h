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
    // The untranslated Name (else the desktop file's name) first, then the name in the current
    // language and every other translation.
    QStringList knownNames(const QString &path) override;

    // The entry describing the executable at `path`, or null.
    const DesktopEntry *entryFor(const QString &path);

    // $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
    static QStringList xdgDataDirs();

private:
    void buildIndex();
    void index(const QString &program, int entry);
    static void setUpIconTheme(const QStringList &dataDirs);

    QStringList m_dataDirs;
    bool m_indexed = false;
    std::vector<DesktopEntry> m_entries;
    // The desktop file name without ".desktop", per entry.
    std::vector<QString> m_fileNames;
    // Canonical executable path → index into m_entries.
    QHash<QString, int> m_byExecutable;
};
