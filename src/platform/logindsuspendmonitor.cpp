#include "logindsuspendmonitor.h"

#include "logging.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDebug>

LogindSuspendMonitor::LogindSuspendMonitor(QObject *parent)
    : SuspendMonitor(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCInfo(lcPlatform) << "no system bus: suspend and resume are not watched";
        return;
    }
    // Bound to the service name, so only the real logind (whoever owns the name) is heard.
    m_watching = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                             QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                             SLOT(onPrepareForSleep(bool)));
    if (!m_watching) {
        qCInfo(lcPlatform) << "cannot subscribe to logind's PrepareForSleep: suspend and resume are not watched:"
                           << bus.lastError().message();
    }
}

void LogindSuspendMonitor::onPrepareForSleep(bool start)
{
    if (start) {
        Q_EMIT suspending();
    } else {
        Q_EMIT resumed();
    }
}
