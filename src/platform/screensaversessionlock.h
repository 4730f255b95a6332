#pragma once

#include "sessionlock.h"

#include <QDBusConnection>

// A desktop's screen saver on the session bus (org.freedesktop.ScreenSaver, org.gnome.ScreenSaver):
// its ActiveChanged signal and GetActive. Active means the screen is locked or blanked.
class ScreenSaverSessionLock : public SessionLock
{
    Q_OBJECT

public:
    static std::unique_ptr<ScreenSaverSessionLock> freedesktop(const QDBusConnection &bus);
    static std::unique_ptr<ScreenSaverSessionLock> gnome(const QDBusConnection &bus);

    QString description() const override { return m_service; }

private Q_SLOTS:
    void onActiveChanged(bool active);

private:
    ScreenSaverSessionLock(const QDBusConnection &bus, const QString &service, const QString &path);

    QString m_service;
};
