#pragma once

#include <QIcon>
#include <QString>

// One look at the window in front: the application's executable, its display name, the window
// title and the application icon. Away time uses the path "tavro://idle".
struct WindowInfo
{
    QString path;
    QString name;
    QString title;
    QIcon icon;
};
