#pragma once

#include <QString>

#include <functional>

// The name shown for an application. Rows keep the application's language-independent name; the
// views ask through here for the one in the desktop's language, which the application plugs in.
namespace AppDisplayName {

using Provider = std::function<QString(const QString &path)>;

// Replaces the provider; an empty function shows the stored names.
void setProvider(Provider provider);
// Away time in the user's language; otherwise the provider's name for `path`, else `stored`.
QString forPath(const QString &path, const QString &stored);

} // namespace AppDisplayName
