#include "appdisplayname.h"

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
    const Provider &provider = currentProvider();
    const QString shown = provider ? provider(path) : QString();
    return shown.isEmpty() ? stored : shown;
}
