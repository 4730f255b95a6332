#include "screensaversessionlock.h"

#include "logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

std::unique_ptr<ScreenSaverSessionLock> ScreenSaverSessionLock::freedesktop(const QDBusConnection &bus)
{
    return std::unique_ptr<ScreenSaverSessionLock>(
        new ScreenSaverSessionLock(bus, QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver")));
}

std::unique_ptr<ScreenSaverSessionLock> ScreenSaverSessionLock::gnome(const QDBusConnection &bus)
{
    return std::unique_ptr<ScreenSaverSessionLock>(new ScreenSaverSessionLock(
        bus, QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver")));
}

ScreenSaverSessionLock::ScreenSaverSessionLock(const QDBusConnection &bus, const QString &service, const QString &path)
    : m_service(service)
{
    // The interface is named like the service on both desktops.
    QDBusConnection(bus).connect(service, path, service, QStringLiteral("ActiveChanged"), this,
                                 SLOT(onActiveChanged(bool)));
    auto *call = new QDBusPendingCallWatcher(
        bus.asyncCall(QDBusMessage::createMethodCall(service, path, service, QStringLiteral("GetActive"))), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<bool> reply = *finished;
        if (reply.isError()) {
            qCDebug(lcPlatform).noquote()
                << m_service << "does not tell whether it is active:" << reply.error().message();
        } else {
            setLocked(reply.value());
        }
        finished->deleteLater();
    });
}

void ScreenSaverSessionLock::onActiveChanged(bool active)
{
    setLocked(active);
}
