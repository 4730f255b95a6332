// sway's IPC replies: read in any pieces, a reply comes out the same as read whole, and nothing past
// the announced length or the limit is kept.
#include "ipcreplyfuzzing.h"
#include "swayreply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    IpcReplyReader::State state;
    IpcFocus focus;
    if (IpcReplyFuzzing::readBothWays<SwayReply>(data, size, &state, &focus) &&
        state == IpcReplyReader::State::Complete && size - 1 < size_t(SwayReply::HeaderSize)) {
        __builtin_trap();
    }
    return 0;
}
