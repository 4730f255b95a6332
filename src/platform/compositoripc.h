#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

// The window a compositor's own IPC reports as focused. The Wayland protocols tell no process id;
// sway's and Hyprland's IPC sockets do.
class CompositorIpc
{
public:
    struct Focused
    {
        quint32 pid = 0;
        QString appId;
        QString title;
    };

    virtual ~CompositorIpc() = default;
    // pid 0 when the IPC does not answer or nothing is focused.
    virtual Focused focused() = 0;

protected:
    // Sends `request` on the local socket at `path` and returns the reply, or empty after a
    // failure or `timeoutMs`. `complete` says when the bytes read so far are the whole reply.
    static QByteArray exchange(const QString &path, const QByteArray &request,
                               const std::function<bool(const QByteArray &)> &complete);
    static constexpr int TimeoutMs = 300;
};
