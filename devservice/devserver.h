#pragma once

#include "buildinfo.h"
#include "devserviceapi.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QTimer>
#include <QUrl>

#include <memory>

class DevServiceStore;
class QTcpServer;
class QTcpSocket;

// One request as it arrived, for tests that check the exact wire form.
struct DevServerRequest
{
    QString verb;                    // "GET", "POST", ... as sent
    QString path;                    // decoded path, e.g. "/service/tavro.auth.login"
    QString method;                  // the service method named by the path ("" outside "/service/")
    QByteArray query;                // raw query, without the "?"
    QByteArray body;                 // raw body (in requests(): its first 16 KiB)
    qsizetype bodySize = 0;          // the whole body's size
    QByteArray contentType;          // raw Content-Type header
    QByteArray userAgent;            // raw User-Agent header
    QByteArray host;                 // raw Host header
    DevServiceParameters parameters; // decoded query items (GET) or form fields (POST), in order
    int connection = 0;              // serial number of the connection it came on (1 for the first)

    QString value(const QString &name) const { return DevServiceApi::value(parameters, name); }
};

// HTTP/1.1 (or HTTPS) front of the development service. Runs in the calling thread and never blocks, so a
// client in the same process may wait for it in nested event loops. Serves
//   /service/<method>                          the service methods (DevServiceApi)
//   /downloads/tavrodesk/tavrodesk-linux.xml    the update feed
//   /downloads/tavrodesk/                       the download page the feed links to
//   /tavro-get-help.html                        the help page
// Fault switches let tests provoke every failure a client must survive.
class DevServer : public QObject
{
    Q_OBJECT

public:
    enum class Fault {
        None,
        Error,          // status "error" with the code and message given to setErrorFault(); the method does not run
        Close,          // the connection is closed without an answer; the method does not run
        Malformed,      // the method runs, the reply is cut in half (not well-formed XML)
        NulByte,        // the method runs, a NUL byte is put into the middle of the first element text
        NoStatus,       // the method runs, the root element loses its "status" attribute
        ErrorNoElement, // status "error" without an "error" element; the method does not run
        NoId,           // the method runs, the reply says "ok" but its first "id" attribute is left out
        CloseAfterRun,  // the method runs, then the connection is closed without an answer
    };
    Q_ENUM(Fault)

    // Uses `store` (not owned) when given, otherwise an in-memory store with the demo data of its own.
    // A connection that completes no request for this long is closed; so is the quietest one when a
    // new client would exceed MaxConnections.
    static constexpr int DefaultIdleTimeoutMs = 30000;
    static constexpr int MaxConnections = 128;
    // Request bytes held for all connections together: bodies of up to 16 MiB on every connection
    // would otherwise reach 2 GiB. A read that would pass it is answered 503 and closed.
    static constexpr qint64 MaxBufferedBytes = 64 * 1024 * 1024;
    // A refused connection stays open, dropping what arrives, until the client is quiet this long
    // (or for the limit at most), so the client reads the answer instead of a reset.
    static constexpr int LingerQuietMs = 200;
    static constexpr int LingerLimitMs = 5000;

    explicit DevServer(DevServiceStore *store = nullptr, QObject *parent = nullptr);
    ~DevServer() override;

    // Serve HTTPS with this certificate chain and key (PEM files); call before listen().
    bool setTlsFiles(const QString &certificateFile, const QString &keyFile, QString *error = nullptr);
    void setTlsConfiguration(const QSslConfiguration &configuration);
    bool isTls() const { return m_tls; }

    // Port 0 picks a free port. Gives false with errorString() set when the address cannot be bound.
    bool listen(quint16 port = 0, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    void close();
    bool isListening() const;
    QString errorString() const { return m_errorString; }
    quint16 serverPort() const;
    // Base URL of the service methods, e.g. "http://127.0.0.1:8080/service/".
    QUrl url() const;
    // e.g. "http://127.0.0.1:8080/", the base of the feed and the help page.
    QUrl rootUrl() const;

    DevServiceStore *store() const { return m_store; }

    void setIdleTimeout(int milliseconds);
    int connectionCount() const { return int(m_connections.size()); }

    // Faults. An empty method name in setDelay() delays every reply; a method delay wins over that one.
    // One fault per method: a later call replaces it, Fault::None removes it; Fault::Error wants setErrorFault().
    void setDelay(int milliseconds, const QString &method = {});
    void setFault(const QString &method, Fault fault);
    void setErrorFault(const QString &method, int code, const QString &message);
    // Answers every request for this path (e.g. "/service/tavro.test.null") with these bytes, sent as
    // they are (status line, headers and body), for clients that must survive hostile servers. The
    // connection stays open afterwards. clearFaults() removes them too.
    void setRawResponse(const QString &path, const QByteArray &bytes);
    void clearFaults();
    static Fault faultFromName(const QString &name, bool *ok = nullptr);

    // Newest version in the update feed; the client's own version by default.
    void setAppcastVersion(const QString &version);
    QString appcastVersion() const { return m_appcastVersion; }

    // The requests received so far (the latest 1000), oldest first; bodies, queries and values cut short.
    QList<DevServerRequest> requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }

Q_SIGNALS:
    void requestReceived(const DevServerRequest &request);

private:
    struct MethodFault
    {
        Fault fault = Fault::None;
        int code = 0;
        QString message;
    };
    struct Connection;
    struct Response
    {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        bool close = false; // close without any answer
        QByteArray raw;     // sent as it is instead of a composed answer
    };

    void onNewConnection();
    void closeIdleConnections();
    void makeRoom();
    void dropConnection(QTcpSocket *socket);
    void onReadyRead(QTcpSocket *socket);
    void processBuffer(QTcpSocket *socket);
    Response respond(const DevServerRequest &request);
    Response serviceResponse(const DevServerRequest &request);
    void send(QTcpSocket *socket, const Response &response, bool keepAlive);
    static QByteArray answer(const Response &response, bool keepAlive);
    void refuse(QTcpSocket *socket, int status, const QByteArray &reason);
    void closeWhenQuiet(const QPointer<QTcpSocket> &socket, const QElapsedTimer &lingering);
    int delayFor(const QString &method) const;
    QByteArray appcast(const QString &authority) const;
    QString authorityFor(const DevServerRequest &request) const;

    std::unique_ptr<DevServiceStore> m_ownStore;
    DevServiceStore *m_store;
    DevServiceApi m_api;
    QTcpServer *m_server = nullptr;
    bool m_tls = false;
    QSslConfiguration m_tlsConfiguration;
    QHostAddress m_address;
    QString m_errorString;
    QHash<QTcpSocket *, std::shared_ptr<Connection>> m_connections;
    int m_connectionCount = 0;
    int m_idleTimeoutMs = DefaultIdleTimeoutMs;
    QTimer m_sweep;
    int m_delay = 0;
    QHash<QString, int> m_methodDelays;
    QHash<QString, MethodFault> m_faults;
    QHash<QString, QByteArray> m_rawResponses;
    QString m_appcastVersion = BuildInfo::version();
    QList<DevServerRequest> m_requests;
};

Q_DECLARE_METATYPE(DevServerRequest)
