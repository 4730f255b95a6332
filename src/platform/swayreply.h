#pragma once

#include "ipcreplyreader.h"

#include <QByteArray>

// A GET_TREE reply of sway's IPC (i3's message format: magic, payload length, message type, in
// the machine's byte order, then the JSON tree).
class SwayReply : public IpcReplyReader
{
public:
    static constexpr quint32 GetTree = 4;
    static constexpr int HeaderSize = 14;
    // Real trees take a few kilobytes per window; a longer payload is refused unread.
    static constexpr quint32 MaxPayload = 2 * 1024 * 1024;

    // The GET_TREE request.
    static QByteArray request();
    // A message header announcing `length` payload bytes of `type`.
    static QByteArray header(quint32 length, quint32 type = GetTree);
    // The focused node of a GET_TREE payload; pid 0 when there is none.
    static IpcFocus focusedNode(const QByteArray &tree);

    State read(const char *data, qsizetype size) override;
    State end() override;
    IpcFocus focus() const override;

private:
    QByteArray m_header;
    QByteArray m_payload;
    quint32 m_length = 0;
    State m_state = State::Incomplete;
};
