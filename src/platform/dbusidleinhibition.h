#pragma once

#include "idleinhibition.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPointer>

#include <functional>

class QDBusPendingCallWatcher;

// Asks a D-Bus service whether idling is inhibited, without waiting: each question answers with
// what the previous one heard, and a new question goes out once the last is answered.
class DBusIdleInhibition : public QObject, public IdleInhibition
{
    Q_OBJECT

public:
    // logind's BlockInhibited naming "idle".
    static std::unique_ptr<DBusIdleInhibition> logind(const QDBusConnection &bus);
    // GNOME's session manager, IsInhibited for idle.
    static std::unique_ptr<DBusIdleInhibition> gnome(const QDBusConnection &bus);

    bool isInhibited() override;
    QString description() const override { return m_description; }

private:
    using Reading = std::function<bool(const QDBusMessage &reply)>;
    DBusIdleInhibition(const QDBusConnection &bus, const QDBusMessage &question, Reading reading,
                       const QString &description);

    QDBusConnection m_bus;
    QDBusMessage m_question;
    Reading m_reading;
    QString m_description;
    QPointer<QDBusPendingCallWatcher> m_pending;
    bool m_inhibited = false;
};
