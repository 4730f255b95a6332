#include "settings.h"

#include <QMutex>

Settings *Settings::instance()
{
    static Settings *settings = nullptr;
    static QMutex creation;
    if (!settings) {
        QMutexLocker lock(&creation);
        if (!settings) {
            settings = new Settings;
        }
    }
    return settings;
}
