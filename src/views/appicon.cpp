#include "appicon.h"

#include "windowinfo.h"

namespace {
AppIcon::Provider &currentProvider()
{
    static AppIcon::Provider provider;
    return provider;
}
} // namespace

void AppIcon::setProvider(Provider provider)
{
    currentProvider() = std::move(provider);
}

QIcon AppIcon::forPath(const QString &path)
{
    const Provider &provider = currentProvider();
    return provider ? provider(path) : stockIcon(path);
}

QIcon AppIcon::stockIcon(const QString &path)
{
    // Built once: a day can hold hundreds of application nodes.
    static const QIcon away(QStringLiteral(":/icons/res/away.png"));
    static const QIcon app(QStringLiteral(":/icons/res/app.png"));
    return path == QLatin1String(AwayApp::Path) ? away : app;
}
