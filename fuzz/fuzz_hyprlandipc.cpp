// Hyprland's "j/activewindow" replies: read in any pieces, a reply comes out the same as read whole,
// ends where its JSON value ends, and nothing over the limit is kept.
#include "hyprlandreply.h"
#include "ipcreplyfuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IpcReplyReader::State state;
    IpcFocus focus;
    if (!IpcReplyFuzzing::readBothWays<HyprlandReply>(data, size, &state, &focus)) {
        return 0;
    }
    // A whole window description within the limit is read to its end, not cut at a bracket inside it.
    const QByteArray text(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const IpcFocus parsed = HyprlandReply::activeWindow(text);
    if (parsed.pid != 0 && text.size() < HyprlandReply::MaxSize &&
        (parsed.pid != focus.pid || parsed.title != focus.title)) {
        __builtin_trap();
    }
    return 0;
}
