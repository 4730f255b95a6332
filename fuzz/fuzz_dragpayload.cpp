// The drag payload: what decodes must encode to the same bytes.
#include "entrydragpayload.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<EntryDragPayload> payload = EntryDragPayload::decode(bytes);
    if (payload && payload->encode() != bytes) {
        __builtin_trap();
    }
    return 0;
}
