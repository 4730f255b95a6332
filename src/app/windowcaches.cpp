#include "windowcaches.h"

#include "heaprelease.h"

#include <QPixmapCache>

void WindowCaches::release()
{
    QPixmapCache::clear();
    returnFreeHeap();
}
