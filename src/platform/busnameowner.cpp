#include "busnameowner.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

BusNameOwner::BusNameOwner(const QDBusConnection &bus, const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
    , m_watcher(new QDBusServiceWatcher(name, bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &newOwner) { setOwner(newOwner); });
    // Watch first, then ask: an owner arriving in between is reported by the watcher.
    if (QDBusConnectionInterface *daemon = bus.interface()) {
        const QDBusReply<QString> reply = daemon->serviceOwner(name);
        if (reply.isValid()) {
            m_owner = reply.value();
        }
    }
}

void BusNameOwner::setOwner(const QString &owner)
{
    if (owner == m_owner) {
        return;
    }
    m_owner = owner;
    Q_EMIT ownerChanged(owner);
}
