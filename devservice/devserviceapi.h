#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

class DevServiceStore;

// Ordered, already decoded name/value pairs of one request (query items for GET, form fields for POST).
using DevServiceParameters = QList<QPair<QString, QString>>;

// The service methods as pure request -> reply logic: no sockets, no timers. Every reply is a UTF-8 XML
// document whose root "rsp" carries the attribute "status" ("ok" or "error"); failures hold one "error"
// element with the attributes "code" and "message".
class DevServiceApi
{
public:
    enum ErrorCode {
        UnknownMethod = 1,
        WrongVerb = 2, // e.g. a POST method called with GET
        MissingParameter = 3,
        InvalidParameter = 4,
        InvalidApiKey = 10,
        InvalidToken = 11,
        LoginFailed = 12,
        NotFound = 20, // also for objects of another account
        NotAllowed = 21,
    };

    explicit DevServiceApi(DevServiceStore *store);

    // "GET" or "POST" for the twelve methods, an empty text for unknown ones.
    static QString verbOf(const QString &method);
    static QStringList methods();
    static QString value(const DevServiceParameters &parameters, const QString &name);

    QByteArray handle(const QString &verb, const QString &method, const DevServiceParameters &parameters);

    static QByteArray errorReply(int code, const QString &message);

    // Failed sign-ins in a row for one e-mail before it is locked for LoginLockSecs.
    static constexpr int MaxFailedLogins = 5;
    static constexpr int LoginLockSecs = 60;

private:
    struct FailedLogins
    {
        int count = 0;
        QDateTime lockedUntil;
    };
    static constexpr int MaxTrackedLogins = 10000;

    QByteArray throttledLogin(const DevServiceParameters &parameters);

    DevServiceStore *m_store;
    QHash<QString, FailedLogins> m_failedLogins;
};
