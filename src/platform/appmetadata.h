#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

#include <memory>

// What the desktop knows about an executable: the display name and icon of the application it
// belongs to. On Linux this comes from the freedesktop desktop entries.
class AppMetadata
{
public:
    virtual ~AppMetadata() = default;
    // Empty when no application claims the executable.
    virtual QString productName(const QString &path) = 0;
    // Null when no icon is known.
    virtual QIcon icon(const QString &path) = 0;
    // Every name the application goes by in any language, its language-independent one first: what
    // identifies it whatever language the desktop speaks. Empty when nothing claims the executable.
    virtual QStringList knownNames(const QString &path)
    {
        const QString name = productName(path);
        return name.isEmpty() ? QStringList() : QStringList{name};
    }

    // The same for a Wayland application id or desktop file name ("org.gnome.Terminal"), for
    // programs whose executable no entry names (sandboxed ones, wrappers). Empty or null when none.
    virtual QString productNameForAppId(const QString &appId) = 0;
    virtual QIcon iconForAppId(const QString &appId) = 0;
};

// The desktop-entry metadata of the installed applications (read once, at the first look-up).
std::unique_ptr<AppMetadata> createAppMetadata();
