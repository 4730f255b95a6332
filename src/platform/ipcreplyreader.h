#pragma once

#include <QString>
#include <QtGlobal>

// The window a compositor's IPC reports as focused; pid 0 when nothing is focused or the reply
// made no sense.
struct IpcFocus
{
    quint32 pid = 0;
    QString appId;
    QString title;
};

// Reads one reply of a compositor's IPC as its bytes arrive, in whatever pieces the socket hands
// over. Each byte is looked at once and a reply over the reader's limit is refused as soon as that
// is known, so a compositor that never stops sending costs neither time nor memory.
class IpcReplyReader
{
public:
    enum class State { Incomplete, Complete, Invalid };

    virtual ~IpcReplyReader() = default;
    // Takes the next `size` bytes; bytes after the end of the reply are ignored.
    virtual State read(const char *data, qsizetype size) = 0;
    // The compositor closed the connection.
    virtual State end() = 0;
    // The focused window of a complete reply.
    virtual IpcFocus focus() const = 0;
};
