#include "neverrecorded.h"

#include "settings.h"
#include "windowinfo.h"

QString NeverRecorded::privateTitle()
{
    return QStringLiteral("Private");
}

QStringList NeverRecorded::paths()
{
    return Settings::instance()->value(Setting::NeverRecordedApps);
}

bool NeverRecorded::keepsTime()
{
    return Settings::instance()->value(Setting::NeverRecordedKeepTime);
}

QStringList NeverRecorded::add(const QStringList &candidates)
{
    QStringList listed = paths();
    QStringList added;
    for (const QString &path : candidates) {
        if (!path.isEmpty() && !listed.contains(path)) {
            listed << path;
            added << path;
        }
    }
    Settings::instance()->setValue(Setting::NeverRecordedApps, listed);
    return added;
}

bool NeverRecorded::mask(WindowInfo &info)
{
    if (info.path.isEmpty() || !paths().contains(info.path)) {
        return false;
    }
    if (keepsTime()) {
        info.title = privateTitle();
    } else {
        info.path.clear();
        info.title.clear();
    }
    return true;
}
