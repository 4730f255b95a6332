#include "compositoripc.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

QByteArray CompositorIpc::exchange(const QString &path, const QByteArray &request,
                                   const std::function<bool(const QByteArray &)> &complete)
{
    if (path.isEmpty()) {
        return {};
    }
    // Blocking calls on a socket of its own: asked only when the focus moves, answered in well under
    // a millisecond; the deadline bounds a compositor that hangs.
    const QDeadlineTimer deadline(TimeoutMs);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(int(deadline.remainingTime()))) {
        return {};
    }
    socket.write(request);
    QByteArray reply;
    while (!complete(reply)) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) {
            // Some compositors end their reply by closing the socket.
            reply += socket.readAll();
            return socket.state() != QLocalSocket::ConnectedState && complete(reply) ? reply : QByteArray();
        }
        reply += socket.readAll();
    }
    return reply;
}
