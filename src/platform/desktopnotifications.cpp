#include "desktopnotifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDebug>

namespace {
const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");
const QString AppName = QStringLiteral("TavroDesk");
// Let the server decide how long a notice stays.
constexpr int DefaultTimeout = -1;
} // namespace

DesktopNotifications::DesktopNotifications(const QDBusConnection &bus, const QString &desktopEntry, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_desktopEntry(desktopEntry)
{
    m_bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this, SLOT(onActionInvoked(QDBusMessage)));
    m_bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(QDBusMessage)));
    const QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QStringList> reply = *finished;
        m_bodyMarkup = reply.isValid() && reply.value().contains(QStringLiteral("body-markup"));
    });
}

void DesktopNotifications::notify(const QString &kind, const QString &summary, const QString &body,
                                  const QString &action, const QString &actionLabel)
{
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    const QStringList actions = action.isEmpty() ? QStringList() : QStringList{action, actionLabel};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), m_desktopEntry}};
    call << AppName << m_ids.value(kind) << m_desktopEntry << summary << (m_bodyMarkup ? body.toHtmlEscaped() : body)
         << actions << hints << DefaultTimeout;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind, action, summary, body](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isValid()) {
                    qDebug().noquote() << "no notification server:" << reply.error().message();
                    Q_EMIT notShown(summary, body);
                    return;
                }
                m_actions.remove(m_ids.value(kind));
                m_ids[kind] = reply.value();
                if (!action.isEmpty()) {
                    m_actions[reply.value()] = action;
                }
            });
}

void DesktopNotifications::onActionInvoked(const QDBusMessage &message)
{
    const uint id = message.arguments().value(0).toUInt();
    const QString action = message.arguments().value(1).toString();
    // Other programs' notices are announced on the same signal.
    if (m_actions.value(id) == action && !action.isEmpty()) {
        Q_EMIT actionInvoked(action);
    }
}

void DesktopNotifications::onClosed(const QDBusMessage &message)
{
    const uint id = message.arguments().value(0).toUInt();
    m_actions.remove(id);
    for (auto it = m_ids.begin(); it != m_ids.end(); ++it) {
        if (it.value() == id) {
            m_ids.erase(it);
            break;
        }
    }
}
