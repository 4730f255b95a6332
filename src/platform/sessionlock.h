#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QString>

#include <memory>

// Whether the session is locked (or its screen saver is up): nobody is working then, whatever the
// idle time says.
class SessionLock : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~SessionLock() override = default;

    bool isLocked() const { return m_locked; }
    // Which mechanism this is, for the debug log.
    virtual QString description() const = 0;

Q_SIGNALS:
    void lockedChanged(bool locked);

protected:
    void setLocked(bool locked);

private:
    bool m_locked = false;
};

// Watches every D-Bus source of the session's lock state that runs (logind's session, the desktop's
// screen saver); locked while any of them says so. Without one, X11's screen saver is watched where
// there is a display; else nothing (never locked). The choice goes to the debug log.
std::unique_ptr<SessionLock>
createSessionLock(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
