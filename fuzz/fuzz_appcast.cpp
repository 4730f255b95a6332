// The update feed.
#include "appcast.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Appcast::Feed feed = Appcast::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const Appcast::Release *newest = Appcast::newest(feed.releases);
    if (newest && !Appcast::isValidVersion(newest->version)) {
        __builtin_trap(); // only valid versions may come out
    }
    return 0;
}
