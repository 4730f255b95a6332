// The development service's request framing, over a stream of pipelined requests.
#include "httprequestparser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray buffer(reinterpret_cast<const char *>(data), qsizetype(size));
    for (;;) {
        const HttpRequestParser::Result result = HttpRequestParser::parse(buffer);
        if (result.outcome != HttpRequestParser::Outcome::Complete) {
            break;
        }
        if (result.consumed <= 0 || result.consumed > buffer.size() ||
            result.request.body.size() > HttpRequestParser::MaxBodyBytes) {
            __builtin_trap();
        }
        buffer.remove(0, result.consumed);
    }
    return 0;
}
