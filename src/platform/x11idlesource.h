#pragma once

#include "idlesource.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct xcb_connection_t;

// Idle time from the MIT-SCREEN-SAVER extension, on a connection of its own.
class X11IdleSource : public IdleSource
{
public:
    // Null when no X server answers on `display` (empty: $DISPLAY) or it lacks the extension.
    static std::unique_ptr<X11IdleSource> connect(const QByteArray &display = {});
    ~X11IdleSource() override;

    int idleSeconds() override;
    QString description() const override { return QStringLiteral("X11 MIT-SCREEN-SAVER"); }

private:
    X11IdleSource(xcb_connection_t *connection, quint32 root);

    xcb_connection_t *m_connection;
    quint32 m_root;
};
