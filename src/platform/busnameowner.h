#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusServiceWatcher;

// Follows which connection owns a well-known bus name. Trust decisions compare a caller's unique
// name with owner(): a name cannot be faked, only owned.
class BusNameOwner : public QObject
{
    Q_OBJECT

public:
    BusNameOwner(const QDBusConnection &bus, const QString &name, QObject *parent = nullptr);

    QString name() const { return m_name; }
    // The unique name (":1.42") of the owner, empty while nobody owns the name.
    QString owner() const { return m_owner; }
    bool isOwnedBy(const QString &uniqueName) const { return !m_owner.isEmpty() && m_owner == uniqueName; }

Q_SIGNALS:
    // Also emitted when the name passes straight from one owner to another (a restart).
    void ownerChanged(const QString &owner);

private:
    void setOwner(const QString &owner);

    QString m_name;
    QString m_owner;
    QDBusServiceWatcher *m_watcher;
};
