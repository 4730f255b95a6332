#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include <map>

class QSocketNotifier;

// Stands in for logind on a private system bus: one session whose lock the test drives, and idle
// inhibitors taken by real clients (systemd-inhibit) and held as long as they keep their end of the
// pipe open, as logind holds them.
class FakeLogindSession : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool LockedHint READ lockedHint)

public:
    using QObject::QObject;
    bool lockedHint() const { return m_lockedHint; }
    bool m_lockedHint = false;

Q_SIGNALS:
    void Lock();
    void Unlock();
};

class FakeLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
    Q_PROPERTY(QString BlockInhibited READ blockInhibited)

public:
    static QString sessionPath() { return QStringLiteral("/org/freedesktop/login1/session/_31"); }

    // Connects to the bus at `address` under `name` and claims org.freedesktop.login1.
    FakeLogind(const QString &address, const QString &name);
    ~FakeLogind() override;
    bool isRunning() const { return m_running; }

    // The session's LockedHint, announced with PropertiesChanged as logind does.
    void setLockedHint(bool locked);
    // logind's requests to the screen locker.
    void sendLock() { Q_EMIT m_session.Lock(); }
    void sendUnlock() { Q_EMIT m_session.Unlock(); }

    QString blockInhibited() const;
    int inhibitorCount() const { return int(m_inhibitors.size()); }

public Q_SLOTS:
    QDBusObjectPath GetSession(const QString &id);
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why, const QString &mode);

private:
    void release(int fd);

    QDBusConnection m_bus;
    FakeLogindSession m_session;
    bool m_running = false;
    // Our end of each holder's pipe, with what it inhibits.
    std::map<int, std::pair<QString, QSocketNotifier *>> m_inhibitors;
};
