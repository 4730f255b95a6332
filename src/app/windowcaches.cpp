#include "windowcaches.h"

#include "database.h"
#include "heaprelease.h"

#include <QPixmapCache>

void WindowCaches::release()
{
    QPixmapCache::clear();
    releaseBuildLeftovers();
}

void WindowCaches::releaseBuildLeftovers()
{
    Database::releaseCache();
    returnFreeHeap();
}
