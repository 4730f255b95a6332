#pragma once

#include <QIcon>
#include <QString>

#include <functional>

// The icon shown for an application path. The views ask through here so that the application can
// plug in its per-path icon cache; until then away time and every other path get the stock icons.
namespace AppIcon {

using Provider = std::function<QIcon(const QString &path)>;

// Replaces the provider; an empty function restores the stock icons.
void setProvider(Provider provider);
QIcon forPath(const QString &path);
// ":/icons/res/away.png" for away time, ":/icons/res/app.png" otherwise.
QIcon stockIcon(const QString &path);

} // namespace AppIcon
