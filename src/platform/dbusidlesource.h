#pragma once

#include "idlesource.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

// Idle time from a desktop service on the session bus that answers in milliseconds: GNOME's
// org.gnome.Mutter.IdleMonitor or the freedesktop ScreenSaver interface (KDE Plasma). A failed or
// late answer reads as 0.
class DBusIdleSource : public IdleSource
{
public:
    // Longest wait per tick for an answer; the tick runs on the GUI thread.
    static constexpr int TimeoutMs = 250;

    static std::unique_ptr<DBusIdleSource> mutter(const QDBusConnection &bus);
    static std::unique_ptr<DBusIdleSource> screenSaver(const QDBusConnection &bus);

    int idleSeconds() override;
    QString description() const override;

private:
    DBusIdleSource(const QDBusConnection &bus, const QString &service, const QString &path,
                   const QString &interfaceName, const QString &method, const QString &description);
    // Milliseconds, or -1 when the service did not answer.
    qint64 query();

    QDBusConnection m_bus;
    QString m_service;
    QString m_path;
    QString m_interface;
    QString m_method;
    QString m_description;
};
