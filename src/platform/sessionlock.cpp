#include "sessionlock.h"

#include "logging.h"
#include "logindsessionlock.h"
#include "screensaversessionlock.h"
#include "sourcechoice.h"
#include "x11sessionlock.h"

#include <QDBusConnection>
#include <QDebug>

#include <vector>

void SessionLock::setLocked(bool locked)
{
    if (locked == m_locked) {
        return;
    }
    m_locked = locked;
    Q_EMIT lockedChanged(locked);
}

namespace {
// Locked while any of its sources says so.
class AnySessionLock : public SessionLock
{
public:
    void add(std::unique_ptr<SessionLock> source)
    {
        connect(source.get(), &SessionLock::lockedChanged, this, &AnySessionLock::update);
        m_sources.push_back(std::move(source));
        update();
    }
    bool isEmpty() const { return m_sources.empty(); }

    QString description() const override { return describeAll(m_sources); }

private:
    void update()
    {
        bool locked = false;
        for (const auto &source : m_sources) {
            locked = locked || source->isLocked();
        }
        setLocked(locked);
    }

    std::vector<std::unique_ptr<SessionLock>> m_sources;
};
} // namespace

std::unique_ptr<SessionLock> createSessionLock(const QProcessEnvironment &environment)
{
    auto lock = std::make_unique<AnySessionLock>();
    const QDBusConnection system = QDBusConnection::systemBus();
    if (isServiceRunning(system, QStringLiteral("org.freedesktop.login1"))) {
        const QString id = environment.value(QStringLiteral("XDG_SESSION_ID"), QStringLiteral("auto"));
        lock->add(std::make_unique<LogindSessionLock>(system, id));
    }
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (isServiceRunning(session, QStringLiteral("org.gnome.ScreenSaver"))) {
        lock->add(ScreenSaverSessionLock::gnome(session));
    }
    if (isServiceRunning(session, QStringLiteral("org.freedesktop.ScreenSaver"))) {
        lock->add(ScreenSaverSessionLock::freedesktop(session));
    }
    const QByteArray display = environment.value(QStringLiteral("DISPLAY")).toLocal8Bit();
    if (lock->isEmpty() && !display.isEmpty()) {
        if (auto x11 = X11SessionLock::connect(display)) {
            lock->add(std::move(x11));
        }
    }
    qCDebug(lcPlatform).noquote() << "Session lock source:" << lock->description();
    return lock;
}
