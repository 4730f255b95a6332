#include "compositoripc.h"

CompositorIpc::CompositorIpc(const QString &socketPath)
    : m_socketPath(socketPath)
{
    m_socket.setReadBufferSize(ChunkSize);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { finish(IpcReplyReader::State::Invalid); });
    connect(&m_socket, &QLocalSocket::connected, this, [this] { m_socket.write(request()); });
    connect(&m_socket, &QLocalSocket::readyRead, this, &CompositorIpc::readReply);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, &CompositorIpc::onError);
    connect(&m_socket, &QLocalSocket::disconnected, this, [this] {
        readReply();
        if (m_reader) {
            finish(m_reader->end());
        }
    });
}

CompositorIpc::~CompositorIpc()
{
    // The socket closes as it goes and would answer a question under way from a half-destroyed
    // object: a question still open when its asker goes is dropped unanswered.
    m_socket.disconnect(this);
    m_deadline.disconnect(this);
}

void CompositorIpc::ask()
{
    // The reader goes first, so that closing the old connection answers nothing.
    m_reader.reset();
    m_socket.abort();
    m_reader = newReader();
    m_deadline.start(TimeoutMs);
    m_socket.connectToServer(m_socketPath);
}

void CompositorIpc::readReply()
{
    // Only what is there now: a compositor that keeps sending gets the event loop back in between.
    while (m_reader && m_socket.bytesAvailable() > 0) {
        const QByteArray chunk = m_socket.read(ChunkSize);
        const IpcReplyReader::State state = m_reader->read(chunk.constData(), chunk.size());
        if (state != IpcReplyReader::State::Incomplete) {
            finish(state);
        }
    }
}

void CompositorIpc::onError(QLocalSocket::LocalSocketError error)
{
    if (!m_reader) {
        return;
    }
    if (error == QLocalSocket::PeerClosedError) {
        // Hyprland ends its reply by closing the connection.
        readReply();
        if (m_reader) {
            finish(m_reader->end());
        }
        return;
    }
    finish(IpcReplyReader::State::Invalid);
}

void CompositorIpc::finish(IpcReplyReader::State state)
{
    const IpcFocus focused = state == IpcReplyReader::State::Complete ? m_reader->focus() : IpcFocus();
    m_reader.reset();
    m_deadline.stop();
    m_socket.abort();
    Q_EMIT answered(focused);
}
