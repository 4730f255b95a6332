#pragma once

#include "apicall.h"

#include <QDomDocument>
#include <QList>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QSslError>
#include <QTimer>

#include <functional>

class QNetworkAccessManager;
class QNetworkRequest;

// One call to the Tavro service: sends the request and finishes once with the reply, an error, SSL
// errors or the time-out. Failures are shown in message boxes ("Network error", "Tavro API Error")
// unless the caller made them silent. Callers judge the reply's "status" themselves. start() returns
// at once and tells the outcome with finished(), or to the continuation given to then(). Use one
// instance for one call at a time.
class ApiRequest : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultTimeout = 20000;

    // Uses the shared manager of the Settings singleton.
    explicit ApiRequest(bool silent);
    ApiRequest(QNetworkAccessManager *manager, bool silent);
    ~ApiRequest() override;

    // "post" in any letter case is posted with the body; any other method, the empty one too, is a GET.
    void start(QNetworkRequest &request, const QString &method, const QByteArray &body, bool silentApiErrors);
    // Builds the request of a service method (query items or form body) and starts it.
    void startGet(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors);
    void startPost(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors);
    // Hands this request to `context` until it finished: `continuation` then runs once with it, and
    // the request is deleted afterwards. When the context goes first, the call ends unseen.
    ApiRequest *then(QObject *context, const std::function<void(const ApiRequest &)> &continuation);

    static bool isError(const QString &xml, QString &code, QString &message);
    // The user-facing text of a QNetworkReply::NetworkError code; unknown codes give the number.
    static QString networkErrorText(int code);

    bool isOk() const { return m_ok; }
    // The reply text of the last call; empty when it failed.
    QString reply() const { return m_reply; }
    // The reply of the last call, parsed once (null when it was refused or is no document).
    const QDomDocument &document() const { return m_document; }
    // Only tests shorten the wait; the product always waits defaultTimeout.
    void setTimeout(int milliseconds) { m_timeout = milliseconds; }
    int timeout() const { return m_timeout; }
    // The wait of requests made from now on; only tests change it.
    static void setStandardTimeout(int milliseconds);

    // After a failed call: false only when the request certainly never reached the service (no
    // connection, name or TLS session could be made). A time-out or a broken connection may have
    // come after the service had carried the request out.
    bool mayHaveArrived() const;
    // What the first failure of the call was, as the "Network error" box words it; empty when none.
    QString failureText() const { return m_failureText; }

Q_SIGNALS:
    // The call is over: `ok` as isOk(); the reply and the document are there.
    void finished(bool ok);

public Q_SLOTS:
    void onError(QNetworkReply::NetworkError code);
    void onFinished();
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void onSslErrors(const QList<QSslError> &errors);
    void onUploadProgress(qint64 bytesSent, qint64 bytesTotal);
    void onTimeout();

private:
    // Takes the outcome in once the reply, an error, SSL errors or the time-out ended the call.
    void complete();
    // Lets go of the last call's network reply, stopping it when it still runs.
    void releaseReply();
    void onRedirected(QNetworkReply *networkReply, const QUrl &target);
    static QString redirectText(const QUrl &target);
    // Fails the request once the reply (announced or received so far) is larger than ApiReply allows.
    void checkReplySize(QNetworkReply *networkReply, qint64 bytes);
    // " (through the proxy host:port)" when the request goes through one, for error texts.
    QString proxyNote() const;
    // Ends the wait with a failure the user sees in a "Network error" box (unless silent);
    // `download`, when given, is aborted first.
    void fail(const QString &text, QNetworkReply *download = nullptr);

    QNetworkAccessManager *m_manager;
    // Guarded: the manager deletes its replies when it goes first.
    QPointer<QNetworkReply> m_networkReply;
    QTimer m_timer;
    bool m_running = false;
    bool m_silentApiErrors = false;
    QString m_reply;
    QUrl m_origin;
    bool m_post = false;
    QDomDocument m_document;
    int m_timeout = defaultTimeout;
    bool m_ok = false;
    // The last network error of the call (NoError when none), a time-out, failed TLS checks.
    QNetworkReply::NetworkError m_error = QNetworkReply::NoError;
    bool m_timedOut = false;
    bool m_sslFailed = false;
    bool m_noManager = false;
    bool m_silent;
    QString m_failureText;
    // Set once the outcome is known, so a follow-up error of the same failure shows no second box.
    bool m_settled = false;
};
