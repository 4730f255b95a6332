#pragma once

#include "sessionlock.h"

#include <QDBusConnection>
#include <QVariantMap>

class QDBusPendingCallWatcher;

// This session's lock state as logind keeps it: the screen locker's LockedHint, and the Lock and
// Unlock requests logind sends to it. The session is looked up by id (XDG_SESSION_ID, else "auto",
// the caller's own); every call is asynchronous, so a slow logind never holds up the program.
class LogindSessionLock : public SessionLock
{
    Q_OBJECT

public:
    LogindSessionLock(const QDBusConnection &bus, const QString &sessionId, QObject *parent = nullptr);

    QString description() const override { return QStringLiteral("logind session"); }
    // The session's object path once logind named it, else empty.
    QString sessionPath() const { return m_sessionPath; }

private Q_SLOTS:
    void onLock();
    void onUnlock();
    void onPropertiesChanged(const QString &interfaceName, const QVariantMap &changed, const QStringList &invalidated);

private:
    void onSession(QDBusPendingCallWatcher *call);
    void readLockedHint();

    QDBusConnection m_bus;
    QString m_sessionPath;
    // Lock changes heard from logind: a LockedHint answer asked for before one of them is stale.
    quint64 m_heard = 0;
};
