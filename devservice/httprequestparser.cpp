#include "httprequestparser.h"

#include <QByteArrayView>
#include <QList>

#include <utility>

namespace {
HttpRequestParser::Result refused(int status, const char *reason)
{
    HttpRequestParser::Result result;
    result.outcome = HttpRequestParser::Outcome::Refused;
    result.status = status;
    result.reason = reason;
    return result;
}

// The end of the header section and the length of the blank line that ends it; -1 while incomplete.
qsizetype headerEnd(const QByteArray &buffer, qsizetype *separatorLength)
{
    // Only the header section is searched, not a body of megabytes on every arrival of more of it.
    const QByteArrayView head =
        QByteArrayView(buffer).first(qMin(buffer.size(), HttpRequestParser::MaxHeaderBytes + 4));
    const qsizetype crlf = head.indexOf("\r\n\r\n");
    const qsizetype lf = head.indexOf("\n\n");
    const qsizetype mixed = head.indexOf("\n\r\n");
    qsizetype best = -1;
    for (const auto &[at, length] : {std::pair{crlf, 4}, std::pair{lf, 2}, std::pair{mixed, 3}}) {
        if (at >= 0 && (best < 0 || at < best)) {
            best = at;
            *separatorLength = length;
        }
    }
    return best;
}
} // namespace

HttpRequestParser::Result HttpRequestParser::parse(const QByteArray &buffer)
{
    qsizetype separator = 0;
    const qsizetype headEnd = headerEnd(buffer, &separator);
    // Complete or not, a header section past the limit is refused.
    if ((headEnd < 0 && buffer.size() > MaxHeaderBytes) || headEnd > MaxHeaderBytes) {
        return refused(431, "Request header too large");
    }
    if (headEnd < 0) {
        return {};
    }
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || requestLine.at(0).isEmpty() || requestLine.at(1).isEmpty() ||
        !requestLine.at(2).startsWith("HTTP/1.")) {
        return refused(400, "Malformed request line");
    }
    Result result;
    Request &request = result.request;
    request.verb = requestLine.at(0);
    request.target = requestLine.at(1);
    request.version = requestLine.at(2);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon <= 0) {
            continue;
        }
        const QByteArray name = lines.at(i).left(colon).trimmed().toLower();
        // Two lengths leave the body's end to whoever reads them: a smuggling classic.
        if (name == "content-length" && request.headers.contains(name)) {
            return refused(400, "Duplicate Content-Length");
        }
        request.headers.insert(name, lines.at(i).mid(colon + 1).trimmed());
    }
    if (request.headers.contains("transfer-encoding")) {
        return refused(501, "Chunked request bodies are not supported");
    }
    bool lengthOk = true;
    const QByteArray lengthText = request.headers.value("content-length", "0");
    const qint64 length = lengthText.toLongLong(&lengthOk);
    if (!lengthOk || length < 0 || lengthText.startsWith('+')) {
        return refused(400, "Invalid Content-Length");
    }
    if (length > MaxBodyBytes) {
        return refused(413, "Request body too large");
    }
    const qsizetype bodyStart = headEnd + separator;
    if (buffer.size() - bodyStart < length) {
        return {};
    }
    request.body = buffer.mid(bodyStart, length);
    const QByteArray connection = request.headers.value("connection").toLower();
    request.keepAlive = request.version == "HTTP/1.1" ? connection != "close" : connection == "keep-alive";
    result.outcome = Outcome::Complete;
    result.consumed = bodyStart + length;
    return result;
}
