#include "appicon.h"

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
    return path == QLatin1String(AwayPath) ? QIcon(QStringLiteral(":/icons/res/away.png"))
                                           : QIcon(QStringLiteral(":/icons/res/app.png"));
}
