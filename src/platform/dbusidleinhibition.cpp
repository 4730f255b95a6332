#include "dbusidleinhibition.h"

#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {
// GNOME's flag for "inhibit the session being marked as idle".
constexpr uint GnomeIdleFlag = 8;
} // namespace

std::unique_ptr<DBusIdleInhibition> DBusIdleInhibition::logind(const QDBusConnection &bus)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.login1.Manager") << QStringLiteral("BlockInhibited");
    // A colon-separated list such as "shutdown:sleep:idle".
    const auto reading = [](const QDBusMessage &reply) {
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        return value.toString().split(QLatin1Char(':')).contains(QLatin1String("idle"));
    };
    return std::unique_ptr<DBusIdleInhibition>(
        new DBusIdleInhibition(bus, get, reading, QStringLiteral("logind BlockInhibited")));
}

std::unique_ptr<DBusIdleInhibition> DBusIdleInhibition::gnome(const QDBusConnection &bus)
{
    QDBusMessage question = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("/org/gnome/SessionManager"),
        QStringLiteral("org.gnome.SessionManager"), QStringLiteral("IsInhibited"));
    question << GnomeIdleFlag;
    const auto reading = [](const QDBusMessage &reply) {
        const QVariant value = reply.arguments().value(0);
        return value.typeId() == QMetaType::Bool && value.toBool();
    };
    return std::unique_ptr<DBusIdleInhibition>(
        new DBusIdleInhibition(bus, question, reading, QStringLiteral("org.gnome.SessionManager")));
}

DBusIdleInhibition::DBusIdleInhibition(const QDBusConnection &bus, const QDBusMessage &question, Reading reading,
                                       const QString &description)
    : m_bus(bus)
    , m_question(question)
    , m_reading(std::move(reading))
    , m_description(description)
{}

bool DBusIdleInhibition::isInhibited()
{
    if (!m_pending) {
        m_pending = new QDBusPendingCallWatcher(m_bus.asyncCall(m_question), this);
        connect(m_pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *answered) {
            // A service that fails to answer, or answers nonsense, inhibits nothing.
            const QDBusMessage reply = answered->reply();
            m_inhibited = reply.type() == QDBusMessage::ReplyMessage && m_reading(reply);
            answered->deleteLater();
        });
    }
    return m_inhibited;
}
