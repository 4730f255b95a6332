#include "dbusidlesource.h"

#include <QDBusMessage>

#include <limits>

std::unique_ptr<DBusIdleSource> DBusIdleSource::mutter(const QDBusConnection &bus)
{
    return std::unique_ptr<DBusIdleSource>(new DBusIdleSource(
        bus, QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core"),
        QStringLiteral("org.gnome.Mutter.IdleMonitor"), QStringLiteral("GetIdletime"),
        QStringLiteral("GNOME (Mutter idle monitor)")));
}

std::unique_ptr<DBusIdleSource> DBusIdleSource::screenSaver(const QDBusConnection &bus)
{
    return std::unique_ptr<DBusIdleSource>(
        new DBusIdleSource(bus, QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
                           QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("GetSessionIdleTime"),
                           QStringLiteral("session idle time (org.freedesktop.ScreenSaver)")));
}

DBusIdleSource::DBusIdleSource(const QDBusConnection &bus, const QString &service, const QString &path,
                               const QString &interfaceName, const QString &method, const QString &description)
    : m_bus(bus)
    , m_service(service)
    , m_path(path)
    , m_interface(interfaceName)
    , m_method(method)
    , m_description(description)
{}

QString DBusIdleSource::description() const
{
    return m_description;
}

int DBusIdleSource::idleSeconds()
{
    const qint64 ms = query();
    if (ms <= 0) {
        return 0;
    }
    return int(qMin<qint64>(ms / 1000, std::numeric_limits<int>::max()));
}

qint64 DBusIdleSource::query()
{
    const QDBusMessage reply =
        m_bus.call(QDBusMessage::createMethodCall(m_service, m_path, m_interface, m_method), QDBus::Block, TimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        return -1;
    }
    // Mutter answers with a uint64, the ScreenSaver interface with a uint32.
    bool ok = false;
    const qulonglong ms = reply.arguments().constFirst().toULongLong(&ok);
    if (!ok || ms > qulonglong(std::numeric_limits<qint64>::max())) {
        return -1;
    }
    return qint64(ms);
}
