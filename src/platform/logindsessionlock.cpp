#include "logindsessionlock.h"

#include "logging.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDebug>

namespace {
const QString Service = QStringLiteral("org.freedesktop.login1");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString LockedHint = QStringLiteral("LockedHint");
} // namespace

LogindSessionLock::LogindSessionLock(const QDBusConnection &bus, const QString &sessionId, QObject *parent)
    : SessionLock(parent)
    , m_bus(bus)
{
    QDBusMessage getSession =
        QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/login1"),
                                       QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("GetSession"));
    getSession << sessionId;
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(getSession), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        onSession(finished);
        finished->deleteLater();
    });
}

void LogindSessionLock::onSession(QDBusPendingCallWatcher *call)
{
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        qCInfo(lcPlatform).noquote() << "logind does not name this session: its lock is not watched:"
                                     << reply.error().message();
        return;
    }
    m_sessionPath = reply.value().path();
    // Bound to the service name: only logind itself can lock or unlock us.
    m_bus.connect(Service, m_sessionPath, SessionInterface, QStringLiteral("Lock"), this, SLOT(onLock()));
    m_bus.connect(Service, m_sessionPath, SessionInterface, QStringLiteral("Unlock"), this, SLOT(onUnlock()));
    m_bus.connect(Service, m_sessionPath, PropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                  SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    qCDebug(lcPlatform).noquote() << "watching the lock of logind session" << m_sessionPath;
    readLockedHint();
}

void LogindSessionLock::readLockedHint()
{
    QDBusMessage get =
        QDBusMessage::createMethodCall(Service, m_sessionPath, PropertiesInterface, QStringLiteral("Get"));
    get << SessionInterface << LockedHint;
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    const quint64 heardBefore = m_heard;
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, heardBefore](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        const QVariant hint = reply.isError() ? QVariant() : reply.value().variant();
        // What logind said after the question is newer than the answer.
        if (hint.typeId() == QMetaType::Bool && m_heard == heardBefore) {
            setLocked(hint.toBool());
        }
        finished->deleteLater();
    });
}

void LogindSessionLock::onLock()
{
    ++m_heard;
    setLocked(true);
}

void LogindSessionLock::onUnlock()
{
    ++m_heard;
    setLocked(false);
}

void LogindSessionLock::onPropertiesChanged(const QString &interfaceName, const QVariantMap &changed,
                                            const QStringList &invalidated)
{
    if (interfaceName != SessionInterface) {
        return;
    }
    const QVariant hint = changed.value(LockedHint);
    if (hint.typeId() == QMetaType::Bool) {
        ++m_heard;
        setLocked(hint.toBool());
    } else if (invalidated.contains(LockedHint)) {
        readLockedHint();
    }
}
