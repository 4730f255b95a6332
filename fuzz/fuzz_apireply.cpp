// Service replies: the shape checks, the DOM parse and the lookups every caller makes.
#include "apireply.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString reply = ApiReply::fromBody(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QDomDocument document = ApiReply::parse(reply);
    QString code;
    QString message;
    ApiReply::isError(document, code, message);
    ApiReply::firstElement(document, QStringLiteral("token")).text();
    const QDomElement user = ApiReply::firstElement(document, QStringLiteral("user"));
    ApiReply::fromWire(user.attribute(QStringLiteral("realname")));
    ApiReply::firstElement(user, QStringLiteral("api_key")).text();
    return 0;
}
