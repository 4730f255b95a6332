#include "appdisplayname.h"

#include "windowinfo.h"

#include <QCoreApplication>

namespace {
AppDisplayName::Provider &currentProvider()
{
    static AppDisplayName::Provider provider;
    return provider;
}
} // namespace

void AppDisplayName::setProvider(Provider provider)
{
    currentProvider() = std::move(provider);
}

QString AppDisplayName::forPath(const QString &path, const QString &stored)
{
    // Away time is stored under its English name, which keeps its rows together in every language.
    if (path == QLatin1String(AwayApp::Path)) {
        return QCoreApplication::translate("AppDisplayName", "Away Time");
    }
    const Provider &provider = currentProvider();
    const QString shown = provider ? provider(path) : QString();
    return shown.isEmpty() ? stored : shown;
}
