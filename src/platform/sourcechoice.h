#pragma once

// Helpers for choosing the platform sources at start.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QString>
#include <QStringList>

// Whether `service` has an owner on `bus` now.
inline bool isServiceRunning(const QDBusConnection &bus, const QString &service)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(service);
}

// The descriptions of several sources watched together, for the debug log.
template <typename Sources> QString describeAll(const Sources &sources)
{
    QStringList names;
    for (const auto &source : sources) {
        names << source->description();
    }
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}
