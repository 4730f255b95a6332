#pragma once

#include "ipcreplyreader.h"

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// Asks a compositor's own IPC which window is focused: the Wayland protocols tell no process id,
// sway's and Hyprland's IPC sockets do. The question runs in the event loop, never blocking it: the
// reply is read as it arrives, and a compositor that sends too much or too long gets no answer.
class CompositorIpc : public QObject
{
    Q_OBJECT

public:
    using Focused = IpcFocus;
    // What a whole exchange may take, however the compositor sends.
    static constexpr int TimeoutMs = 300;
    // Bytes taken off the socket at a time, so one flood holds the event loop no longer than this.
    static constexpr qint64 ChunkSize = 64 * 1024;

    ~CompositorIpc() override;

    // Starts a question; `answered` follows, with pid 0 when the compositor cannot be reached, does
    // not finish its reply within TimeoutMs or replies nonsense. An unreachable socket may answer
    // before ask() returns. A question under way is dropped unanswered.
    void ask();
    bool isAsking() const { return m_reader != nullptr; }

Q_SIGNALS:
    void answered(const IpcFocus &focused);

protected:
    explicit CompositorIpc(const QString &socketPath);
    virtual QByteArray request() const = 0;
    virtual std::unique_ptr<IpcReplyReader> newReader() const = 0;

private:
    void readReply();
    void onError(QLocalSocket::LocalSocketError error);
    void finish(IpcReplyReader::State state);

    QString m_socketPath;
    QLocalSocket m_socket;
    QTimer m_deadline;
    std::unique_ptr<IpcReplyReader> m_reader;
};
