#include "endlessreplyserver.h"

#include <QTcpSocket>

namespace {
constexpr qsizetype ChunkBytes = 1024 * 1024;
}

EndlessReplyServer::EndlessReplyServer()
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = nextPendingConnection()) {
            connect(client, &QTcpSocket::readyRead, client, [this, client] {
                client->readAll();
                if (!m_replying) {
                    m_replying = true;
                    m_sent += client->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: "
                                            "chunked\r\n\r\n14\r\n<rsp status=\"ok\"><t>\r\n");
                    more(client);
                }
            });
            connect(client, &QTcpSocket::bytesWritten, client, [this, client] { more(client); });
            connect(client, &QTcpSocket::disconnected, client, [this] { m_clientLeft = true; });
        }
    });
}

void EndlessReplyServer::more(QTcpSocket *client)
{
    static const QByteArray chunk = QByteArray::number(ChunkBytes, 16) + "\r\n" + QByteArray(ChunkBytes, 'x') + "\r\n";
    while (client->state() == QAbstractSocket::ConnectedState && client->bytesToWrite() < chunk.size()) {
        m_sent += client->write(chunk);
    }
}
