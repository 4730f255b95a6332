#include "apirequest.h"

#include "apireply.h"
#include "logging.h"
#include "messagebox.h"
#include "settings.h"
#include "settingsfile.h"

#include <QDebug>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QTimer>

#include <cstring>

namespace {
// Stops a reply that is still under way. One that has reported a failure is already ending by
// itself: stopping it again would make it report a second failure.
void stopIfUnderWay(QNetworkReply *reply)
{
    if (reply->isRunning() && reply->error() == QNetworkReply::NoError) {
        reply->abort();
    }
}

// A request body that can be read once only. Qt's HTTP layer sends a request again on a new
// connection when the first one closes before any answer; for a request that changes something on
// the service that could carry it out twice. A body that cannot be rewound makes such a resend fail
// (ContentReSendError) instead, and the caller learns that the outcome is unknown.
class OneShotBody : public QIODevice
{
public:
    explicit OneShotBody(const QByteArray &body)
        : m_body(body)
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return m_body.size() - m_read + QIODevice::bytesAvailable(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 count = qMin(maxSize, m_body.size() - m_read);
        memcpy(data, m_body.constData() + m_read, size_t(count));
        m_read += count;
        return count;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const QByteArray m_body;
    qint64 m_read = 0;
};

// Long enough that the box is wider than its title, which would otherwise be cut short.
// How far past the size limit a reply may be read before it is seen to be too large.
constexpr qint64 ReadAheadBytes = 1024 * 1024;
} // namespace

ApiRequest::ApiRequest(bool silent)
    : ApiRequest(Settings::instance()->networkManager(), silent)
{}

namespace {
int standardTimeout = ApiRequest::defaultTimeout;
} // namespace

ApiRequest::ApiRequest(QNetworkAccessManager *manager, bool silent)
    : m_manager(manager)
    , m_timeout(standardTimeout)
    , m_silent(silent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ApiRequest::onTimeout);
    connect(&m_timer, &QTimer::timeout, this, &ApiRequest::complete);
}

void ApiRequest::setStandardTimeout(int milliseconds)
{
    standardTimeout = milliseconds;
}

bool ApiRequest::mayHaveArrived() const
{
    if (m_noManager || m_sslFailed) {
        return false;
    }
    if (m_timedOut) {
        return true;
    }
    switch (m_error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::ProtocolUnknownError:
    case QNetworkReply::ProtocolInvalidOperationError:
        return false;
    default:
        return true;
    }
}

ApiRequest::~ApiRequest()
{
    releaseReply();
}

void ApiRequest::start(QNetworkRequest &request, const QString &method, const QByteArray &body, bool silentApiErrors)
{
    releaseReply();
    m_ok = true;
    m_settled = false;
    m_error = QNetworkReply::NoError;
    m_timedOut = false;
    m_sslFailed = false;
    m_noManager = false;
    m_silentApiErrors = silentApiErrors;
    m_reply.clear();
    m_document = QDomDocument();
    if (!m_manager) {
        qCDebug(lcService) << "no network manager: the network is not set up";
        m_noManager = true;
        m_ok = false;
        m_settled = true;
        Q_EMIT finished(false);
        return;
    }
    request.setRawHeader(QByteArrayLiteral("User-Agent"), SettingsFile::userAgent().toUtf8());
    // Credentials travel in every request: a redirect is judged before it is followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    m_post = method.toLower() == QLatin1String("post");
    m_origin = request.url();

    // Every request on a connection of its own: a kept-alive connection the server has meanwhile
    // closed would make a post fail without reaching it, and it cannot be sent again (see above).
    request.setRawHeader(QByteArrayLiteral("Connection"), QByteArrayLiteral("close"));
    auto *oneShot = new OneShotBody(body);
    if (m_post) {
        request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
        request.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    }
    QNetworkReply *networkReply = m_post ? m_manager->post(request, oneShot) : m_manager->get(request);
    // The body lasts as long as the reply that reads it.
    oneShot->setParent(networkReply);
    m_networkReply = networkReply;
    m_running = true;

    // Each outcome is judged by its own handler first; the request then completes once.
    connect(networkReply, &QNetworkReply::redirected, this,
            [this, networkReply](const QUrl &target) { onRedirected(networkReply, target); });
    connect(networkReply, &QNetworkReply::errorOccurred, this, &ApiRequest::onError);
    connect(networkReply, &QNetworkReply::errorOccurred, this, &ApiRequest::complete);
    connect(networkReply, &QNetworkReply::sslErrors, this, &ApiRequest::onSslErrors);
    connect(networkReply, &QNetworkReply::sslErrors, this, &ApiRequest::complete);
    connect(networkReply, &QNetworkReply::finished, this, &ApiRequest::onFinished);
    connect(networkReply, &QNetworkReply::finished, this, &ApiRequest::complete);
    connect(networkReply, &QNetworkReply::downloadProgress, this, &ApiRequest::onDownloadProgress);
    // Checked while the reply streams in, so a huge or endless reply never sits in memory whole. The
    // reply's buffer holds the download a little past the limit: the network thread would race ahead.
    networkReply->setReadBufferSize(ApiReply::MaxReplyBytes + ReadAheadBytes);
    connect(networkReply, &QNetworkReply::metaDataChanged, this, [this, networkReply] {
        checkReplySize(networkReply, networkReply->header(QNetworkRequest::ContentLengthHeader).toLongLong());
    });
    connect(networkReply, &QNetworkReply::readyRead, this,
            [this, networkReply] { checkReplySize(networkReply, networkReply->bytesAvailable()); });
    connect(networkReply, &QNetworkReply::uploadProgress, this, &ApiRequest::onUploadProgress);

    m_timer.start(m_timeout);
}

void ApiRequest::complete()
{
    if (!m_running) {
        return;
    }
    // Taken before the reply is disconnected, which forgets it.
    const bool endedByItself = sender() == m_networkReply;
    m_running = false;
    m_settled = true;
    m_timer.stop();
    if (m_ok) {
        m_reply = ApiReply::fromBody(m_networkReply->readAll());
        m_document = ApiReply::parse(m_reply);
        QString code;
        QString message;
        if (ApiReply::isError(m_document, code, message) && !m_silentApiErrors) {
            m_ok = false;
            MessageBox::critical(nullptr, tr("Tavro API Error"), tr("Code: %1\nMessage: %2").arg(code, message));
        }
    }
    // The reply's last signals must not reach us. One ended by the time-out or a failure we found is
    // stopped; one that ended by itself is not: aborting it inside its own signal reports it twice.
    m_networkReply->disconnect(this);
    if (!endedByItself) {
        stopIfUnderWay(m_networkReply);
    }
    Q_EMIT finished(m_ok);
}

void ApiRequest::releaseReply()
{
    if (m_networkReply) {
        // Possibly still inside one of its own signals: deleted once that is over.
        m_networkReply->disconnect(this);
        stopIfUnderWay(m_networkReply);
        m_networkReply->deleteLater();
        m_networkReply = nullptr;
    }
}

void ApiRequest::startGet(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors)
{
    QNetworkRequest request = ApiCall::getRequest(method, parameters);
    start(request, QStringLiteral("GET"), QByteArray(), silentApiErrors);
}

void ApiRequest::startPost(const QString &method, const ApiCall::Parameters &parameters, bool silentApiErrors)
{
    QNetworkRequest request = ApiCall::postRequest(method);
    start(request, QStringLiteral("POST"), ApiCall::formBody(parameters), silentApiErrors);
}

ApiRequest *ApiRequest::then(QObject *context, const std::function<void(const ApiRequest &)> &continuation)
{
    setParent(context);
    connect(this, &ApiRequest::finished, context, [this, continuation] {
        // Deleted back in the event loop: the continuation reads it, and its reply may still be signalling.
        deleteLater();
        continuation(*this);
    });
    return this;
}

bool ApiRequest::isError(const QString &xml, QString &code, QString &message)
{
    return ApiReply::isError(xml, code, message);
}

QString ApiRequest::networkErrorText(int code)
{
    switch (code) {
    case 0:
        return tr("No error condition.");
    case 1:
        return tr("The remote server refused the connection.");
    case 2:
        return tr("The remote server closed the connection prematurely, before the entire reply was received and "
                  "processed.");
    case 3:
        return tr("The remote host name was not found.");
    case 4:
        return tr("The connection to the remote server timed out.");
    case 5:
        return tr("The operation was canceled via calls to abort() or close() before it was finished.");
    case 6:
        return tr("The SSL/TLS handshake failed and the encrypted channel could not be established.");
    case 99:
        return tr("An unknown network-related error was detected.");
    case 101:
        return tr("The connection to the proxy server was refused.");
    case 102:
        return tr("The proxy server closed the connection prematurely, before the entire reply was received and "
                  "processed.");
    case 103:
        return tr("The proxy host name was not found.");
    case 104:
        return tr("The connection to the proxy timed out or the proxy did not reply in time to the request sent.");
    case 105:
        return tr("The proxy requires authentication in order to honour the request but did not accept any credentials "
                  "offered.");
    case 199:
        return tr("An unknown proxy-related error was detected.");
    case 201:
        return tr("The access to the remote content was denied.");
    case 202:
        return tr("The operation requested on the remote content is not permitted.");
    case 203:
        return tr("The remote content was not found at the server.");
    case 204:
        return tr(
            "The remote server requires authentication to serve the content but the credentials provided were not "
            "accepted.");
    case 205:
        return tr(
            "The request needed to be sent again, but this failed for example because the upload data could not be "
            "read a second time.");
    case 299:
        return tr("An unknown error related to the remote content was detected.");
    case 301:
        return tr("The Network Access API cannot honor the request because the protocol is not known.");
    case 302:
        return tr("The requested operation is invalid for this protocol.");
    case 399:
        return tr("A breakdown in protocol was detected (parsing error, invalid or unexpected responses, etc.).");
    default:
        return QString::number(code);
    }
}

void ApiRequest::onError(QNetworkReply::NetworkError code)
{
    qCDebug(lcService) << "on error. code: " << int(code);
    // A post redirected with its body (307, 308) would have to be sent again, which its one-shot body
    // refuses before the redirect is offered to us: it was not followed either way.
    const auto *networkReply = qobject_cast<const QNetworkReply *>(sender());
    const int status = networkReply ? networkReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
    if (code == QNetworkReply::ContentReSendError && status >= 300 && status < 400) {
        m_error = code;
        fail(redirectText(networkReply->url().resolved(networkReply->header(QNetworkRequest::LocationHeader).toUrl())));
        return;
    }
    const bool alreadyFailed = m_settled || !m_ok;
    m_ok = false;
    m_error = code;
    // A body that cannot be sent again makes a connection lost before the answer a resend
    // failure: to the user it is the connection that closed.
    const int shown = code == QNetworkReply::ContentReSendError ? int(QNetworkReply::RemoteHostClosedError) : int(code);
    const QString text = networkErrorText(shown) + proxyNote();
    // An SSL failure or a time-out was already reported; its trailing error adds nothing.
    if (!alreadyFailed) {
        m_failureText = text;
    }
    if (!m_silent && !alreadyFailed) {
        MessageBox::warning(nullptr, tr("Network error"), text);
    }
    qCDebug(lcService) << "network error: " << text;
}

void ApiRequest::onFinished()
{
    qCDebug(lcService) << "on finished";
}

void ApiRequest::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    qCDebug(lcService) << "on download progress. received" << bytesReceived << ", total: " << bytesTotal;
}

void ApiRequest::checkReplySize(QNetworkReply *networkReply, qint64 bytes)
{
    if (bytes > ApiReply::MaxReplyBytes && m_ok && !m_settled) {
        fail(tr("The reply of the Tavro service is larger than %1 MB and was not read.")
                 .arg(ApiReply::MaxReplyBytes / (1024 * 1024)),
             networkReply);
    }
}

void ApiRequest::onRedirected(QNetworkReply *networkReply, const QUrl &target)
{
    const bool sameOrigin = target.scheme() == m_origin.scheme() && target.host() == m_origin.host() &&
                            target.port(-1) == m_origin.port(-1);
    // A post is never sent on: 301 to 303 would turn it into a get that books nothing yet answers
    // "ok", and the body would have to go out a second time.
    if (sameOrigin && !m_post) {
        Q_EMIT networkReply->redirectAllowed();
        return;
    }
    fail(redirectText(target));
}

QString ApiRequest::redirectText(const QUrl &target)
{
    return tr("The Tavro service redirected the request to %1; it was not followed.")
        .arg(target.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery));
}

QString ApiRequest::proxyNote() const
{
    QNetworkProxy proxy = m_manager ? m_manager->proxy() : QNetworkProxy(QNetworkProxy::NoProxy);
    if (proxy.type() == QNetworkProxy::DefaultProxy) {
        const QList<QNetworkProxy> chosen = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(m_origin));
        proxy = chosen.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : chosen.constFirst();
    }
    if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy) {
        return {};
    }
    return tr(" (through the proxy %1:%2)").arg(proxy.hostName()).arg(proxy.port());
}

void ApiRequest::fail(const QString &text, QNetworkReply *download)
{
    const bool alreadyFailed = m_settled || !m_ok;
    m_ok = false;
    if (download) {
        // Stopped before the box: while it is open the event loop runs and the reply would go on
        // arriving. Its cancellation is no failure of its own.
        download->disconnect(this);
        stopIfUnderWay(download);
    }
    if (!alreadyFailed) {
        m_failureText = text;
    }
    if (!m_silent && !alreadyFailed) {
        MessageBox::warning(nullptr, tr("Network error"), text);
    }
    qCDebug(lcService) << "request failed:" << text;
    complete();
}

void ApiRequest::onSslErrors(const QList<QSslError> &errors)
{
    qCDebug(lcService) << "on ssl errors";
    for (const QSslError &error : errors) {
        qCDebug(lcService) << "ssl error:" << error.errorString();
    }
    m_sslFailed = true;
    m_ok = false;
}

void ApiRequest::onUploadProgress(qint64 bytesSent, qint64 bytesTotal)
{
    qCDebug(lcService) << "on upload progress. sent: " << bytesSent << ", total: " << bytesTotal;
}

void ApiRequest::onTimeout()
{
    // A failure already on screen keeps the timer running while its box is open; say nothing more.
    const bool alreadyFailed = m_settled || !m_ok;
    // A time-out after a known failure changes nothing about where the request got to.
    m_timedOut = m_timedOut || !alreadyFailed;
    m_ok = false;
    if (!alreadyFailed) {
        m_failureText = tr("Connection Timeout\n\nThe Tavro service did not answer in time.") + proxyNote();
    }
    if (!m_silent && !alreadyFailed) {
        MessageBox::warning(nullptr, tr("Network error"), m_failureText);
    }
    qCDebug(lcService) << "on timeout";
}
