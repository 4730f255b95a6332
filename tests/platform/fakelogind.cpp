#include "fakelogind.h"

#include <QDBusMessage>
#include <QSocketNotifier>
#include <QVariantMap>

#include <unistd.h>

FakeLogind::FakeLogind(const QString &address, const QString &name)
    : m_bus(QDBusConnection::connectToBus(address, name))
{
    m_running = m_bus.registerObject(QStringLiteral("/org/freedesktop/login1"), this,
                                     QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
                m_bus.registerObject(sessionPath(), &m_session,
                                     QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties) &&
                m_bus.registerService(QStringLiteral("org.freedesktop.login1"));
}

FakeLogind::~FakeLogind()
{
    for (const auto &[fd, inhibitor] : m_inhibitors) {
        inhibitor.second->setEnabled(false);
        delete inhibitor.second;
        ::close(fd);
    }
    m_bus.unregisterService(QStringLiteral("org.freedesktop.login1"));
    QDBusConnection::disconnectFromBus(m_bus.name());
}

void FakeLogind::setLockedHint(bool locked)
{
    m_session.m_lockedHint = locked;
    QDBusMessage changed = QDBusMessage::createSignal(sessionPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("PropertiesChanged"));
    changed << QStringLiteral("org.freedesktop.login1.Session") << QVariantMap{{QStringLiteral("LockedHint"), locked}}
            << QStringList();
    m_bus.send(changed);
}

QDBusObjectPath FakeLogind::GetSession(const QString &)
{
    return QDBusObjectPath(sessionPath());
}

QDBusUnixFileDescriptor FakeLogind::Inhibit(const QString &what, const QString &, const QString &, const QString &)
{
    int fds[2];
    if (::pipe(fds) != 0) {
        return {};
    }
    // The holder's end goes out with the reply (the descriptor is duplicated); closing it, by exiting,
    // releases the inhibitor.
    const QDBusUnixFileDescriptor held(fds[1]);
    ::close(fds[1]);
    auto *notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read);
    connect(notifier, &QSocketNotifier::activated, this, [this, fd = fds[0]] { release(fd); });
    m_inhibitors[fds[0]] = {what, notifier};
    return held;
}

void FakeLogind::release(int fd)
{
    const auto it = m_inhibitors.find(fd);
    if (it == m_inhibitors.end()) {
        return;
    }
    it->second.second->setEnabled(false);
    it->second.second->deleteLater();
    ::close(fd);
    m_inhibitors.erase(it);
}

QString FakeLogind::blockInhibited() const
{
    QStringList what;
    for (const auto &[fd, inhibitor] : m_inhibitors) {
        for (const QString &kind : inhibitor.first.split(QLatin1Char(':'))) {
            if (!what.contains(kind)) {
                what << kind;
            }
        }
    }
    return what.join(QLatin1Char(':'));
}
