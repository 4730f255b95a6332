#pragma once

#include "sessionlock.h"

#include <QByteArray>

struct xcb_connection_t;
class QSocketNotifier;

// X11's screen saver (MIT-SCREEN-SAVER) on a connection of its own: its notify events tell when it
// comes on and goes off. For sessions that offer no D-Bus source.
class X11SessionLock : public SessionLock
{
    Q_OBJECT

public:
    // Null when no X server answers on `display` or it lacks the extension.
    static std::unique_ptr<X11SessionLock> connect(const QByteArray &display);
    ~X11SessionLock() override;

    QString description() const override { return QStringLiteral("X11 MIT-SCREEN-SAVER"); }

private:
    X11SessionLock(xcb_connection_t *connection, quint32 root);
    void readEvents();

    xcb_connection_t *m_connection;
    QSocketNotifier *m_notifier;
};
