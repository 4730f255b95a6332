#pragma once

// Shared by the IPC reply targets: one input read whole and in pieces must give the same reply.
#include "ipcreplyreader.h"

#include <cstddef>
#include <cstdint>

namespace IpcReplyFuzzing {

inline IpcReplyReader::State readInPieces(IpcReplyReader &reader, const char *data, qsizetype size, qsizetype piece)
{
    IpcReplyReader::State state = IpcReplyReader::State::Incomplete;
    for (qsizetype at = 0; at < size && state == IpcReplyReader::State::Incomplete; at += piece) {
        state = reader.read(data + at, qMin(piece, size - at));
    }
    return state == IpcReplyReader::State::Incomplete ? reader.end() : state;
}

// The first byte of the input picks the size of the pieces the socket hands over; the rest is the
// reply. Traps when the two readings differ or an unfinished reply names a window. Gives the reply's
// state and focus through `state` and `focus`.
template <typename Reader>
bool readBothWays(const uint8_t *data, size_t size, IpcReplyReader::State *state, IpcFocus *focus)
{
    if (size < 1) {
        return false;
    }
    const qsizetype piece = data[0] + 1;
    const char *text = reinterpret_cast<const char *>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    Reader whole;
    Reader pieces;
    *state = readInPieces(whole, text, length, length + 1);
    if (readInPieces(pieces, text, length, piece) != *state) {
        __builtin_trap();
    }
    *focus = whole.focus();
    const IpcFocus other = pieces.focus();
    if (focus->pid != other.pid || focus->appId != other.appId || focus->title != other.title ||
        (*state != IpcReplyReader::State::Complete && focus->pid != 0)) {
        __builtin_trap();
    }
    return true;
}

} // namespace IpcReplyFuzzing
