#pragma once

#include <QIcon>
#include <QString>

#include <functional>

// How the views show an application: by the name in the desktop's language and the icon the
// recording found for its path. Rows keep the language-independent name; without a lookup the views
// show that name and the stock icons.
class AppLook
{
public:
    using NameLookup = std::function<QString(const QString &path)>;
    using IconLookup = std::function<QIcon(const QString &path)>;

    AppLook() = default;
    AppLook(NameLookup names, IconLookup icons);

    // The looked-up name for `path`, else `stored`.
    QString name(const QString &path, const QString &stored) const;
    QIcon icon(const QString &path) const;

    // ":/icons/res/away.png" for away time, ":/icons/res/app.png" otherwise.
    static QIcon stockIcon(const QString &path);

private:
    NameLookup m_names;
    IconLookup m_icons;
};
