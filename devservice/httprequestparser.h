#pragma once

#include <QByteArray>
#include <QHash>

// Frames one HTTP/1.x request at the front of a connection's buffer. Knows nothing of sockets, so the
// same code serves the development server and its fuzz target.
class HttpRequestParser
{
public:
    // Limits on a whole header section and on a body.
    static constexpr qsizetype MaxHeaderBytes = 64 * 1024;
    static constexpr qint64 MaxBodyBytes = 16 * 1024 * 1024;

    enum class Outcome {
        Incomplete, // more bytes are needed
        Complete,   // `request` holds a request of `consumed` bytes
        Refused,    // `status` and `reason` say why; the connection cannot be framed any further
    };

    struct Request
    {
        QByteArray verb;
        QByteArray target;
        QByteArray version;
        // Names in lower case; a name that came twice keeps the last value.
        QHash<QByteArray, QByteArray> headers;
        QByteArray body;
        bool keepAlive = true;
    };

    struct Result
    {
        Outcome outcome = Outcome::Incomplete;
        Request request;
        qsizetype consumed = 0;
        int status = 0;
        QByteArray reason;
    };

    // Lines may end in CRLF or in a bare LF.
    static Result parse(const QByteArray &buffer);
};
