#pragma once

#include <QIcon>
#include <QMetaType>
#include <QString>
#include <QStringList>

// One sample of the window in front: the executable behind it, the application's display name,
// the window title and the application's icon. An empty path means the process could not be
// identified; such samples are never stored.
struct WindowInfo
{
    QString path;
    QString name;
    QString title;
    QIcon icon;
    // Every name of the application in any language, the language-independent one first (see
    // AppMetadata::knownNames); empty when the name is all there is. New rows are stored under the first.
    QStringList knownNames;
};
Q_DECLARE_METATYPE(WindowInfo)

// The away pseudo-application under which inactive time is stored.
namespace AwayApp {
inline constexpr char Path[] = "tavro://idle";
inline constexpr char Name[] = "Away Time";
inline constexpr char IconPath[] = ":/icons/res/away.png";
} // namespace AwayApp

// The away pseudo-window with an empty title; the idle hook fills the title in.
WindowInfo idleWindowInfo();
