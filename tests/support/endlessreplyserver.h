#pragma once

#include <QTcpServer>

class QTcpSocket;

// A web service whose reply never ends: a chunked "ok" reply that goes on with chunks of a megabyte as
// fast as the client takes them, until it goes away.
class EndlessReplyServer : public QTcpServer
{
public:
    EndlessReplyServer();

    bool clientLeft() const { return m_clientLeft; }
    qint64 bytesSent() const { return m_sent; }

private:
    void more(QTcpSocket *client);

    bool m_replying = false;
    bool m_clientLeft = false;
    qint64 m_sent = 0;
};
