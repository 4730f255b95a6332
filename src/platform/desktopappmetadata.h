#pragma once

#include "appmetadata.h"
#include "desktopentry.h"

#include <QHash>
#include <QLocale>
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
    QString productNameForAppId(const QString &appId) override;
    QIcon iconForAppId(const QString &appId) override;

    // The entry describing the executable at `path`, or null. The path of an entry file itself
    // names that entry too.
    const DesktopEntry *entryFor(const QString &path);
    // The entry whose desktop-file id is `appId` (with or without ".desktop"), else the one whose
    // StartupWMClass is `appId`; case is ignored. Null when none.
    const DesktopEntry *entryForAppId(const QString &appId);

    // What a Wayland app id stands for: the entry whose desktop-file id is the app id (any case),
    // else the one whose StartupWMClass is, resolved to its TryExec or Exec program, or to the
    // entry file when neither names an installed program. Empty when no entry matches.
    QString pathForAppId(const QString &appId);
    // The same, else a pseudo-path whose last segment is the app id ("wayland://app-id/org.example.App"), so
    // it doubles as the display name when no process can be asked.
    QString waylandAppPath(const QString &appId);

    // $XDG_DATA_HOME (or ~/.local/share), then $XDG_DATA_DIRS (or /usr/local/share:/usr/share).
    static QStringList xdgDataDirs();

private:
    void buildIndex();
    // The resolved executable, or empty when `program` names none (or a launcher).
    QString index(const QString &program, int entry);
    QIcon iconOf(const DesktopEntry *entry);
    static void setUpIconTheme(const QStringList &dataDirs);

    QStringList m_dataDirs;
    bool m_indexed = false;
    // The language whose names the index holds; another one builds it again.
    QLocale m_indexLocale;
    std::vector<DesktopEntry> m_entries;
    // The desktop file name without ".desktop", per entry.
    std::vector<QString> m_fileNames;
    // Canonical executable path (or entry file path) → index into m_entries.
    QHash<QString, int> m_byExecutable;
    // Lower-case desktop-file id without ".desktop", and lower-case StartupWMClass → index.
    QHash<QString, int> m_byId;
    QHash<QString, int> m_byWindowClass;
    // Per entry: its lower-case desktop-file id without ".desktop", its canonical file path and the executable it
    // resolves to (maybe empty).
    std::vector<QString> m_ids;
    std::vector<QString> m_files;
    std::vector<QString> m_executables;
};
