#include "devserver.h"

#include "devservicestore.h"
#include "httprequestparser.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QPointer>
#include <QRegularExpression>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QXmlStreamWriter>

namespace {
// A demo server may run for days; the oldest records go once this many are kept, each cut to a summary.
constexpr qsizetype maxRecordedRequests = 1000;
constexpr qsizetype maxRecordedBytes = 16 * 1024;
constexpr qsizetype maxRecordedValue = 4 * 1024;

const QByteArray servicePrefix = QByteArrayLiteral("/service/");
const QByteArray appcastPath = QByteArrayLiteral("/downloads/tavrodesk/tavrodesk-linux.xml");
const QByteArray downloadsPath = QByteArrayLiteral("/downloads/tavrodesk/");
const QByteArray helpPath = QByteArrayLiteral("/tavro-get-help.html");
const QByteArray xmlType = QByteArrayLiteral("text/xml; charset=utf-8");
const QByteArray htmlType = QByteArrayLiteral("text/html; charset=utf-8");

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return QByteArrayLiteral("OK");
    case 400:
        return QByteArrayLiteral("Bad Request");
    case 404:
        return QByteArrayLiteral("Not Found");
    case 413:
        return QByteArrayLiteral("Content Too Large");
    case 431:
        return QByteArrayLiteral("Request Header Fields Too Large");
    case 501:
        return QByteArrayLiteral("Not Implemented");
    case 503:
        return QByteArrayLiteral("Service Unavailable");
    default:
        return QByteArrayLiteral("Error");
    }
}

QString decode(const QByteArray &encoded)
{
    // Only %XX sequences are decoded: a '+' stays a '+', since clients write a blank as %20.
    return QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
}

DevServiceParameters parseParameters(const QByteArray &encoded)
{
    DevServiceParameters parameters;
    for (const QByteArray &pair : encoded.split('&')) {
        if (pair.isEmpty()) {
            continue;
        }
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0) {
            parameters.append({decode(pair), QString()});
        } else {
            parameters.append({decode(pair.left(equals)), decode(pair.mid(equals + 1))});
        }
    }
    return parameters;
}

QByteArray putNulIntoText(QByteArray reply)
{
    for (qsizetype open = reply.indexOf('>'); open >= 0; open = reply.indexOf('>', open + 1)) {
        const qsizetype close = reply.indexOf('<', open + 1);
        if (close < 0) {
            break;
        }
        const QByteArray text = reply.mid(open + 1, close - open - 1);
        if (!text.trimmed().isEmpty()) {
            reply.insert(open + 1 + text.size() / 2, '\0');
            return reply;
        }
    }
    reply.insert(reply.size() / 2, '\0');
    return reply;
}

// The reply without the first attribute of this name (" status", " id"): an answer that leaves out
// whether it worked, or what it made.
QByteArray withoutAttribute(QByteArray reply, const QByteArray &name)
{
    const QByteArray attribute = ' ' + name + "=\"";
    const qsizetype start = reply.indexOf(attribute);
    if (start >= 0) {
        const qsizetype end = reply.indexOf('"', start + attribute.size());
        reply.remove(start, end + 1 - start);
    }
    return reply;
}

DevServerRequest summary(DevServerRequest request)
{
    request.bodySize = request.body.size();
    request.body.truncate(maxRecordedBytes);
    request.query.truncate(maxRecordedBytes);
    for (auto &parameter : request.parameters) {
        parameter.first.truncate(maxRecordedValue);
        parameter.second.truncate(maxRecordedValue);
    }
    return request;
}

QByteArray htmlPage(const QString &title, const QString &bodyHtml)
{
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                          "<body><h1>%1</h1>\n%2</body></html>\n")
        .arg(title.toHtmlEscaped(), bodyHtml)
        .toUtf8();
}
} // namespace

struct DevServer::Connection
{
    int serial = 0;
    QByteArray buffer;
    bool busy = false;      // an answer is still pending (delayed); later requests wait for it
    bool lingering = false; // refused: what the client still sends is read and dropped until it pauses
    // Since the connection opened or its last complete request: trickling bytes does not count.
    QElapsedTimer idle;
};

DevServer::DevServer(DevServiceStore *store, QObject *parent)
    : QObject(parent)
    , m_ownStore(store ? nullptr : std::make_unique<DevServiceStore>())
    , m_store(store ? store : m_ownStore.get())
    , m_api(m_store)
{
    qRegisterMetaType<DevServerRequest>();
    connect(&m_sweep, &QTimer::timeout, this, &DevServer::closeIdleConnections);
    if (m_ownStore) {
        m_ownStore->open(QString());
    }
}

DevServer::~DevServer()
{
    close();
}

bool DevServer::setTlsFiles(const QString &certificateFile, const QString &keyFile, QString *error)
{
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certificateFile, QSsl::Pem);
    QFile file(keyFile);
    QSslKey key;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray pem = file.readAll();
        key = QSslKey(pem, QSsl::Rsa);
        if (key.isNull()) {
            key = QSslKey(pem, QSsl::Ec);
        }
    }
    QString problem;
    if (chain.isEmpty()) {
        problem = QStringLiteral("No PEM certificate in ") + certificateFile;
    } else if (key.isNull()) {
        problem = QStringLiteral("No unencrypted RSA or EC private key in ") + keyFile;
    }
    if (!problem.isEmpty()) {
        if (error) {
            *error = problem;
        }
        return false;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificateChain(chain);
    configuration.setPrivateKey(key);
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    setTlsConfiguration(configuration);
    return true;
}

void DevServer::setTlsConfiguration(const QSslConfiguration &configuration)
{
    m_tlsConfiguration = configuration;
    m_tls = true;
}

bool DevServer::listen(quint16 port, const QHostAddress &address)
{
    close();
    if (m_tls && !QSslSocket::supportsSsl()) {
        m_errorString = QStringLiteral("TLS is not available: ") + QSslSocket::sslLibraryVersionString();
        return false;
    }
    if (m_tls) {
        auto *server = new QSslServer(this);
        server->setSslConfiguration(m_tlsConfiguration);
        m_server = server;
    } else {
        m_server = new QTcpServer(this);
    }
    // Emitted by both servers; a TLS connection only once its handshake is done (newConnection comes too early).
    connect(m_server, &QTcpServer::pendingConnectionAvailable, this, &DevServer::onNewConnection);
    if (!m_server->listen(address, port)) {
        m_errorString = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    m_address = address;
    m_errorString.clear();
    m_sweep.start(qMax(50, m_idleTimeoutMs / 4));
    return true;
}

void DevServer::setIdleTimeout(int milliseconds)
{
    m_idleTimeoutMs = milliseconds;
    if (m_sweep.isActive()) {
        m_sweep.start(qMax(50, m_idleTimeoutMs / 4));
    }
}

void DevServer::dropConnection(QTcpSocket *socket)
{
    m_connections.remove(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void DevServer::closeIdleConnections()
{
    const auto connections = m_connections;
    for (auto it = connections.cbegin(); it != connections.cend(); ++it) {
        if (!it.value()->busy && it.value()->idle.hasExpired(m_idleTimeoutMs)) {
            dropConnection(it.key());
        }
    }
}

void DevServer::makeRoom()
{
    // The connection that has been quiet longest goes, so idle clients cannot lock out new ones.
    QTcpSocket *quietest = nullptr;
    qint64 longest = -1;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if (!it.value()->busy && it.value()->idle.elapsed() > longest) {
            longest = it.value()->idle.elapsed();
            quietest = it.key();
        }
    }
    if (quietest) {
        dropConnection(quietest);
    }
}

void DevServer::close()
{
    m_sweep.stop();
    const auto sockets = m_connections.keys();
    m_connections.clear();
    for (QTcpSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    delete m_server;
    m_server = nullptr;
}

bool DevServer::isListening() const
{
    return m_server && m_server->isListening();
}

quint16 DevServer::serverPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

QUrl DevServer::rootUrl() const
{
    QUrl url;
    url.setScheme(m_tls ? QStringLiteral("https") : QStringLiteral("http"));
    const bool any = m_address == QHostAddress::Any || m_address == QHostAddress::AnyIPv4 ||
                     m_address == QHostAddress::AnyIPv6 || m_address.isNull();
    url.setHost(any ? QStringLiteral("127.0.0.1") : m_address.toString());
    url.setPort(serverPort());
    url.setPath(QStringLiteral("/"));
    return url;
}

QUrl DevServer::url() const
{
    return rootUrl().resolved(QUrl(QString::fromLatin1(servicePrefix)));
}

void DevServer::setDelay(int milliseconds, const QString &method)
{
    if (method.isEmpty()) {
        m_delay = milliseconds;
    } else {
        m_methodDelays.insert(method, milliseconds);
    }
}

void DevServer::setFault(const QString &method, Fault fault)
{
    m_faults.insert(method, MethodFault{fault, 0, QString()});
}

void DevServer::setErrorFault(const QString &method, int code, const QString &message)
{
    m_faults.insert(method, MethodFault{Fault::Error, code, message});
}

void DevServer::setRawResponse(const QString &path, const QByteArray &bytes)
{
    m_rawResponses.insert(path, bytes);
}

void DevServer::clearFaults()
{
    m_rawResponses.clear();
    m_delay = 0;
    m_methodDelays.clear();
    m_faults.clear();
}

DevServer::Fault DevServer::faultFromName(const QString &name, bool *ok)
{
    static const QHash<QString, Fault> names{
        {QStringLiteral("error"), Fault::Error},         {QStringLiteral("close"), Fault::Close},
        {QStringLiteral("malformed"), Fault::Malformed}, {QStringLiteral("nul"), Fault::NulByte},
        {QStringLiteral("no-status"), Fault::NoStatus},  {QStringLiteral("error-no-element"), Fault::ErrorNoElement},
        {QStringLiteral("no-id"), Fault::NoId},          {QStringLiteral("close-after-run"), Fault::CloseAfterRun},
    };
    if (ok) {
        *ok = names.contains(name);
    }
    return names.value(name, Fault::None);
}

void DevServer::setAppcastVersion(const QString &version)
{
    m_appcastVersion = version;
}

int DevServer::delayFor(const QString &method) const
{
    return m_methodDelays.value(method, m_delay);
}

void DevServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_connections.size() >= MaxConnections) {
            makeRoom();
        }
        if (m_connections.size() >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto connection = std::make_shared<Connection>();
        connection->serial = ++m_connectionCount;
        connection->idle.start();
        m_connections.insert(socket, connection);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_connections.remove(socket);
            socket->deleteLater();
        });
        if (socket->bytesAvailable() > 0) {
            onReadyRead(socket);
        }
    }
}

void DevServer::onReadyRead(QTcpSocket *socket)
{
    const auto connection = m_connections.value(socket);
    if (!connection) {
        return;
    }
    if (connection->lingering) {
        socket->skip(socket->bytesAvailable());
        connection->idle.start();
        return;
    }
    qint64 buffered = socket->bytesAvailable();
    for (const auto &held : std::as_const(m_connections)) {
        buffered += held->buffer.size();
    }
    if (buffered > MaxBufferedBytes) {
        refuse(socket, 503, "Too many request bytes in flight");
        return;
    }
    connection->buffer.append(socket->readAll());
    processBuffer(socket);
}

void DevServer::processBuffer(QTcpSocket *socket)
{
    const auto connection = m_connections.value(socket);
    if (!connection || connection->busy) {
        return;
    }
    QByteArray &buffer = connection->buffer;
    const HttpRequestParser::Result parsed = HttpRequestParser::parse(buffer);
    if (parsed.outcome == HttpRequestParser::Outcome::Incomplete) {
        return;
    }
    if (parsed.outcome == HttpRequestParser::Outcome::Refused) {
        // A request we cannot read ends the connection: what follows it cannot be framed either.
        refuse(socket, parsed.status, parsed.reason);
        return;
    }
    const HttpRequestParser::Request &http = parsed.request;
    DevServerRequest request;
    request.verb = QString::fromLatin1(http.verb);
    const qsizetype question = http.target.indexOf('?');
    const QByteArray rawPath = question < 0 ? http.target : http.target.left(question);
    request.query = question < 0 ? QByteArray() : http.target.mid(question + 1);
    request.path = decode(rawPath);
    if (rawPath.startsWith(servicePrefix)) {
        request.method = decode(rawPath.mid(servicePrefix.size()));
    }
    request.body = http.body;
    request.contentType = http.headers.value("content-type");
    request.userAgent = http.headers.value("user-agent");
    request.host = http.headers.value("host");
    request.connection = connection->serial;
    buffer.remove(0, parsed.consumed);
    connection->idle.start();

    if (request.verb == QLatin1String("POST")) {
        if (request.contentType.toLower().startsWith("application/x-www-form-urlencoded")) {
            request.parameters = parseParameters(request.body);
        }
    } else {
        request.parameters = parseParameters(request.query);
    }
    const bool keepAlive = http.keepAlive;

    // The history keeps a bounded summary: a long-running server must not hold every body it saw.
    if (m_requests.size() >= maxRecordedRequests) {
        m_requests.removeFirst();
    }
    m_requests.append(summary(request));
    Q_EMIT requestReceived(m_requests.last());

    const Response response = respond(request);
    const int delay = delayFor(request.method);
    connection->busy = true;
    const QPointer<QTcpSocket> guard(socket);
    auto finish = [this, guard, response, keepAlive] {
        if (!guard || !m_connections.contains(guard.data())) {
            return;
        }
        m_connections.value(guard.data())->busy = false;
        if (response.close) {
            guard->disconnectFromHost();
            return;
        }
        send(guard.data(), response, keepAlive);
        if (keepAlive) {
            processBuffer(guard.data());
        }
    };
    if (delay > 0) {
        QTimer::singleShot(delay, this, finish);
    } else {
        finish();
    }
}

QByteArray DevServer::answer(const Response &response, bool keepAlive)
{
    return "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reasonPhrase(response.status) +
           "\r\nServer: tavro-devservice\r\nContent-Type: " + response.contentType +
           "\r\nContent-Length: " + QByteArray::number(response.body.size()) +
           "\r\nConnection: " + (keepAlive ? "keep-alive" : "close") + "\r\n\r\n" + response.body;
}

void DevServer::refuse(QTcpSocket *socket, int status, const QByteArray &reason)
{
    const auto connection = m_connections.value(socket);
    connection->buffer.clear();
    connection->busy = true;
    connection->lingering = true;
    connection->idle.start();
    socket->skip(socket->bytesAvailable());
    socket->write(answer(Response{status, "text/plain", reason + '\n', false, {}}, false));
    // Closing on bytes not yet read makes the kernel reset the connection, and a client still sending
    // would lose the answer with it.
    QElapsedTimer lingering;
    lingering.start();
    closeWhenQuiet(QPointer<QTcpSocket>(socket), lingering);
}

void DevServer::closeWhenQuiet(const QPointer<QTcpSocket> &socket, const QElapsedTimer &lingering)
{
    QTimer::singleShot(LingerQuietMs, this, [this, socket, lingering] {
        const auto connection = socket ? m_connections.value(socket.data()) : nullptr;
        if (!connection) {
            return;
        }
        if (connection->idle.hasExpired(LingerQuietMs - 1) || lingering.hasExpired(LingerLimitMs)) {
            socket->skip(socket->bytesAvailable());
            socket->disconnectFromHost();
        } else {
            closeWhenQuiet(socket, lingering);
        }
    });
}

void DevServer::send(QTcpSocket *socket, const Response &response, bool keepAlive)
{
    if (!response.raw.isEmpty()) {
        socket->write(response.raw);
        return;
    }
    socket->write(answer(response, keepAlive));
    if (!keepAlive) {
        socket->disconnectFromHost();
    }
}

DevServer::Response DevServer::respond(const DevServerRequest &request)
{
    if (m_rawResponses.contains(request.path)) {
        Response response;
        response.raw = m_rawResponses.value(request.path);
        return response;
    }
    if (request.path.startsWith(QLatin1String(servicePrefix))) {
        return serviceResponse(request);
    }
    const bool get = request.verb == QLatin1String("GET");
    if (get && request.path == QLatin1String(appcastPath)) {
        return Response{200, "application/rss+xml; charset=utf-8", appcast(authorityFor(request)), false, {}};
    }
    if (get && request.path == QLatin1String(downloadsPath)) {
        const QString body = QStringLiteral("<p>TavroDesk %1 for Linux is the newest version.</p>\n")
                                 .arg(m_appcastVersion.toHtmlEscaped());
        return Response{200, htmlType, htmlPage(QStringLiteral("TavroDesk downloads"), body), false, {}};
    }
    if (get && request.path == QLatin1String(helpPath)) {
        const QString body = QStringLiteral(
            "<p>TavroDesk records which window you work in and lets you book that time on your Tavro tasks.</p>\n"
            "<ul><li>Start recording with the record button or from the tray menu.</li>\n"
            "<li>Pick a day in the calendar to review its entries.</li>\n"
            "<li>Drag entries onto a task in the projects tree to link them; hold Ctrl to add notes.</li>\n"
            "<li>Rules link matching entries automatically.</li></ul>\n");
        return Response{200, htmlType, htmlPage(QStringLiteral("TavroDesk help"), body), false, {}};
    }
    return Response{404, "text/plain", "Not found\n", false, {}};
}

DevServer::Response DevServer::serviceResponse(const DevServerRequest &request)
{
    const MethodFault fault = m_faults.value(request.method);
    Response response{200, xmlType, QByteArray(), false, {}};
    switch (fault.fault) {
    case Fault::Close:
        response.close = true;
        return response;
    case Fault::Error:
        response.body = DevServiceApi::errorReply(fault.code, fault.message);
        return response;
    case Fault::ErrorNoElement:
        response.body = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rsp status=\"error\"/>\n");
        return response;
    case Fault::None:
    case Fault::Malformed:
    case Fault::NulByte:
    case Fault::NoStatus:
    case Fault::NoId:
    case Fault::CloseAfterRun:
        break;
    }
    response.body = m_api.handle(request.verb, request.method, request.parameters);
    if (fault.fault == Fault::CloseAfterRun) {
        response.body.clear();
        response.close = true;
        return response;
    }
    if (fault.fault == Fault::Malformed) {
        response.body.truncate(response.body.size() / 2);
    } else if (fault.fault == Fault::NulByte) {
        response.body = putNulIntoText(response.body);
    } else if (fault.fault == Fault::NoStatus) {
        response.body = withoutAttribute(response.body, "status");
    } else if (fault.fault == Fault::NoId) {
        response.body = withoutAttribute(response.body, "id");
    }
    return response;
}

QString DevServer::authorityFor(const DevServerRequest &request) const
{
    // Links should use the name the client reached us by; anything odd in the header falls back to our own.
    static const QRegularExpression plausible(
        QStringLiteral("^[A-Za-z0-9.\\-]+(:[0-9]{1,5})?$|^\\[[0-9A-Fa-f:.]+\\](:[0-9]{1,5})?$"));
    const QString host = QString::fromLatin1(request.host);
    return plausible.match(host).hasMatch() ? host : rootUrl().authority();
}

QByteArray DevServer::appcast(const QString &authority) const
{
    struct Release
    {
        QString version;
        QDate date;
    };
    QList<Release> releases{{m_appcastVersion, QDate(2026, 11, 2)}};
    if (m_appcastVersion != QLatin1String("1.0.0")) {
        releases.append({QStringLiteral("1.0.0"), QDate(2026, 1, 12)});
    }
    const QString link = QStringLiteral("%1://%2%3")
                             .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"), authority,
                                  QString::fromLatin1(downloadsPath));
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("rss"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("channel"));
    xml.writeTextElement(QStringLiteral("title"), QStringLiteral("TavroDesk for Linux"));
    xml.writeTextElement(QStringLiteral("link"), link);
    xml.writeTextElement(QStringLiteral("description"), QStringLiteral("Releases of TavroDesk"));
    for (const Release &release : releases) {
        xml.writeStartElement(QStringLiteral("item"));
        xml.writeTextElement(QStringLiteral("title"), QStringLiteral("TavroDesk ") + release.version);
        xml.writeTextElement(QStringLiteral("version"), release.version);
        xml.writeTextElement(QStringLiteral("link"), link);
        const QDateTime published(release.date, QTime(10, 0), Qt::UTC);
        xml.writeTextElement(QStringLiteral("pubDate"),
                             QLocale::c().toString(published, QStringLiteral("ddd, dd MMM yyyy hh:mm:ss")) +
                                 QStringLiteral(" +0000"));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}
