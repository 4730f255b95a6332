#include "applook.h"

#include "windowinfo.h"

AppLook::AppLook(NameLookup names, IconLookup icons)
    : m_names(std::move(names))
    , m_icons(std::move(icons))
{}

QString AppLook::name(const QString &path, const QString &stored) const
{
    const QString shown = m_names ? m_names(path) : QString();
    return shown.isEmpty() ? stored : shown;
}

QIcon AppLook::icon(const QString &path) const
{
    return m_icons ? m_icons(path) : stockIcon(path);
}

QIcon AppLook::stockIcon(const QString &path)
{
    // Built once: a day can hold hundreds of application nodes.
    static const QIcon away(QStringLiteral(":/icons/res/away.png"));
    static const QIcon app(QStringLiteral(":/icons/res/app.png"));
    return path == QLatin1String(AwayApp::Path) ? away : app;
}
