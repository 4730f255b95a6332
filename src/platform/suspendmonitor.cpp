#include "suspendmonitor.h"

#include "logindsuspendmonitor.h"

SuspendMonitor *createSuspendMonitor(QObject *parent)
{
    return new LogindSuspendMonitor(parent);
}
