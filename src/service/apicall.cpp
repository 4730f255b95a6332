#include "apicall.h"

#include "settings.h"

#include <QUrl>

namespace {
bool isUnreserved(char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// Plain values (ids, dates, tokens) are normally sent as they are; only what would split a pair,
// be read back as an escape or a blank, or is not ASCII is escaped so the server sees the same value.
bool breaksForm(char byte)
{
    const auto code = static_cast<unsigned char>(byte);
    return code < 0x20 || code >= 0x7f || byte == '&' || byte == '=' || byte == '+' || byte == '%' || byte == '#';
}

void appendEscaped(QByteArray &out, char byte)
{
    static const char hex[] = "0123456789ABCDEF";
    const auto code = static_cast<unsigned char>(byte);
    out += '%';
    out += hex[code >> 4];
    out += hex[code & 0x0f];
}
} // namespace

QByteArray ApiCall::percentEncode(const QString &value)
{
    QByteArray out;
    const QByteArray bytes = value.toUtf8();
    out.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        if (isUnreserved(byte)) {
            out += byte;
        } else {
            appendEscaped(out, byte);
        }
    }
    return out;
}

QByteArray ApiCall::formBody(const Parameters &parameters)
{
    QByteArray body;
    for (const Parameter &parameter : parameters) {
        if (!body.isEmpty()) {
            body += '&';
        }
        body += parameter.name.toUtf8();
        body += '=';
        if (parameter.encoded) {
            body += percentEncode(parameter.value);
            continue;
        }
        for (const char byte : parameter.value.toUtf8()) {
            if (breaksForm(byte)) {
                appendEscaped(body, byte);
            } else {
                body += byte;
            }
        }
    }
    return body;
}

QUrl ApiCall::methodUrl(const QString &method)
{
    return QUrl(Settings::instance()->serviceUrl() + method);
}

QNetworkRequest ApiCall::getRequest(const QString &method, const Parameters &parameters)
{
    QUrl url = methodUrl(method);
    QByteArray query;
    for (const Parameter &parameter : parameters) {
        if (!query.isEmpty()) {
            query += '&';
        }
        query += percentEncode(parameter.name) + '=' + percentEncode(parameter.value);
    }
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return QNetworkRequest(url);
}

QNetworkRequest ApiCall::postRequest(const QString &method)
{
    QNetworkRequest request(methodUrl(method));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    return request;
}
