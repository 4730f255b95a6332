#include "devserver.h"
#include "devservicestore.h"

#include <QDomDocument>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <memory>

namespace {
QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QString fixture(const char *name)
{
    return qEnvironmentVariable("TAVRO_TEST_DATA") + QLatin1Char('/') + QLatin1String(name);
}

// Percent-encoding as the client writes (enc) values: every byte but A-Z a-z 0-9 - . _ ~ as %XX.
QByteArray enc(const QString &value)
{
    return QUrl::toPercentEncoding(value);
}

struct Result
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    int httpStatus = 0;
    QByteArray body;
    bool sslErrors = false;

    QDomElement root() const
    {
        QDomDocument doc;
        doc.setContent(body);
        return doc.documentElement();
    }
};

Result finish(QNetworkReply *reply)
{
    Result result;
    QSignalSpy sslSpy(reply, &QNetworkReply::sslErrors);
    if (!reply->isFinished()) {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        finished.wait(10000);
    }
    result.error = reply->error();
    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.body = reply->readAll();
    result.sslErrors = !sslSpy.isEmpty();
    reply->deleteLater();
    return result;
}
} // namespace

class TestDevServer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DevServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;

    QUrl methodUrl(const QString &method, const QByteArray &query = {}) const
    {
        QUrl url = m_server->url().resolved(QUrl(method));
        if (!query.isEmpty()) {
            url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
        }
        return url;
    }

    Result get(const QString &method, const QByteArray &query = {})
    {
        QNetworkRequest request(methodUrl(method, query));
        request.setRawHeader("User-Agent", "TavroDesk/1.0.10 Linux");
        return finish(m_manager->get(request));
    }

    Result post(const QString &method, const QByteArray &body)
    {
        QNetworkRequest request(methodUrl(method));
        request.setRawHeader("User-Agent", "TavroDesk/1.0.10 Linux");
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        return finish(m_manager->post(request, body));
    }

    // api_key=...&auth_token=... of a fresh demo session.
    QByteArray session()
    {
        const Result login = get(s("tavro.auth.login"), "email=demo%40tavro.test&password=demo");
        const QDomElement root = login.root();
        return "api_key=" + root.firstChildElement(s("api_key")).text().toLatin1() +
               "&auth_token=" + root.firstChildElement(s("token")).text().toLatin1();
    }

    // One raw HTTP exchange on a fresh socket; gives everything read until the server closes the connection.
    QByteArray raw(const QByteArray &bytes)
    {
        QTcpSocket socket;
        QByteArray answer;
        connect(&socket, &QTcpSocket::connected, this, [&] { socket.write(bytes); });
        connect(&socket, &QTcpSocket::readyRead, this, [&] { answer += socket.readAll(); });
        QSignalSpy closed(&socket, &QTcpSocket::disconnected);
        socket.connectToHost(QHostAddress::LocalHost, m_server->serverPort());
        closed.wait(5000);
        return answer + socket.readAll();
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<DevServer>();
        QVERIFY(m_server->listen());
        QVERIFY(m_server->serverPort() > 0);
        m_manager = std::make_unique<QNetworkAccessManager>();
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
    }

    void urlNamesThePort()
    {
        QCOMPARE(m_server->url().toString(),
                 QStringLiteral("http://127.0.0.1:%1/service/").arg(m_server->serverPort()));
        QVERIFY(m_server->store()->isOpen());
    }

    void getIsRecordedAsSent()
    {
        QSignalSpy spy(m_server.get(), &DevServer::requestReceived);
        const Result result = get(s("tavro.auth.login"), "email=demo%40tavro.test&password=demo");
        QCOMPARE(result.error, QNetworkReply::NoError);
        QCOMPARE(result.root().attribute(s("status")), s("ok"));
        QCOMPARE(spy.size(), 1);
        const auto request = spy.first().first().value<DevServerRequest>();
        QCOMPARE(request.verb, s("GET"));
        QCOMPARE(request.method, s("tavro.auth.login"));
        QCOMPARE(request.path, s("/service/tavro.auth.login"));
        QCOMPARE(request.query, QByteArray("email=demo%40tavro.test&password=demo"));
        QCOMPARE(request.userAgent, QByteArray("TavroDesk/1.0.10 Linux"));
        QVERIFY(request.body.isEmpty());
        const DevServiceParameters expected{{s("email"), s("demo@tavro.test")}, {s("password"), s("demo")}};
        QCOMPARE(request.parameters, expected);
        QCOMPARE(m_server->requests().size(), 1);
        m_server->clearRequests();
        QVERIFY(m_server->requests().isEmpty());
    }

    void postBodyArrivesIntact_data()
    {
        QTest::addColumn<QString>("description");
        QTest::newRow("plain") << s("Notes");
        QTest::newRow("non-ASCII") << s("Café Ünïcode – Überarbeitung ✓");
        QTest::newRow("ampersand and equals") << s("a & b = c&d=e");
        QTest::newRow("plus and percent") << s("1+1 = 2 %20 100%");
        QTest::newRow("empty") << QString();
        QTest::newRow("line break") << s("first\nsecond");
    }

    void postBodyArrivesIntact()
    {
        QFETCH(QString, description);
        const QByteArray body = session() + "&date=2026-05-04&duration=90&task_id=1&description=" + enc(description);
        m_server->clearRequests();
        const Result result = post(s("tavro.entries.addBulk"), body);
        QCOMPARE(result.root().attribute(s("status")), s("ok"));

        const DevServerRequest request = m_server->requests().constLast();
        QCOMPARE(request.verb, s("POST"));
        QCOMPARE(request.body, body);
        QVERIFY(request.query.isEmpty());
        QCOMPARE(request.contentType, QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.parameters.size(), 6);
        QCOMPARE(request.parameters.constLast(), qMakePair(s("description"), description));

        const int id = result.root().firstChildElement(s("entry")).attribute(s("id")).toInt();
        QCOMPARE(m_server->store()->entry(id)->description, description);
    }

    void plusStaysPlus()
    {
        // Clients write a blank as %20, so a raw '+' in a form body is a plus sign.
        const QByteArray body = session() + "&date=2026-05-04&duration=90&task_id=1&description=a+b%20c";
        const Result result = post(s("tavro.entries.addBulk"), body);
        const int id = result.root().firstChildElement(s("entry")).attribute(s("id")).toInt();
        QCOMPARE(m_server->store()->entry(id)->description, s("a+b c"));
    }

    void queryItemsArriveIntact()
    {
        const QString password = s("p+w &= é%41");
        m_server->store()->addUser(s("odd@tavro.test"), password, s("Odd"), s("odd"));
        QUrlQuery query;
        query.addQueryItem(s("email"), s("odd@tavro.test"));
        // QUrlQuery takes "%41" as an already encoded "A", so a literal '%' must be handed over as "%25".
        query.addQueryItem(s("password"), QString(password).replace(QLatin1Char('%'), s("%25")));
        QUrl url = methodUrl(s("tavro.auth.login"));
        url.setQuery(query);
        const Result result = finish(m_manager->get(QNetworkRequest(url)));
        QCOMPARE(m_server->requests().constLast().value(s("password")), password);
        QCOMPARE(result.root().attribute(s("status")), s("ok"));
    }

    void rawBlanksInFormBodyStay()
    {
        // start and end go out without percent-encoding, blank included.
        const QByteArray body = session() + "&entry_id=1&start=2026-05-04 08:00:00&end=2026-05-04 08:30:00";
        QCOMPARE(post(s("tavro.entries.update"), body).root().attribute(s("status")), s("ok"));
        QCOMPARE(m_server->store()->entry(1)->end, QDateTime(QDate(2026, 5, 4), QTime(8, 30)));
    }

    void postWithoutFormTypeHasNoParameters()
    {
        QNetworkRequest request(methodUrl(s("tavro.entries.delete")));
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain"));
        const Result result = finish(m_manager->post(request, session() + "&entry_id=1"));
        QCOMPARE(result.root().attribute(s("status")), s("error"));
        QCOMPARE(result.root().firstChildElement(s("error")).attribute(s("code")), s("3"));
        QVERIFY(m_server->store()->entry(1));
    }

    void wrongVerbAndUnknownMethod()
    {
        Result result = get(s("tavro.entries.delete"), session() + "&entry_id=1");
        QCOMPARE(result.httpStatus, 200);
        QCOMPARE(result.root().firstChildElement(s("error")).attribute(s("code")), s("2"));
        QVERIFY(m_server->store()->entry(1));

        result = get(s("tavro.nothing.here"));
        QCOMPARE(result.root().attribute(s("status")), s("error"));
        QCOMPARE(result.root().firstChildElement(s("error")).attribute(s("code")), s("1"));
    }

    void keepAliveServesTwoRequestsOnOneConnection()
    {
        QCOMPARE(get(s("tavro.test.null"), "api_key=").error, QNetworkReply::NoError);
        QCOMPARE(get(s("tavro.test.null"), "api_key=").error, QNetworkReply::NoError);
        const QList<DevServerRequest> requests = m_server->requests();
        QCOMPARE(requests.size(), 2);
        QVERIFY(requests.at(0).connection > 0);
        QCOMPARE(requests.at(1).connection, requests.at(0).connection);
    }

    void pipelinedRequestsAreAnsweredInOrder()
    {
        const QByteArray answer = raw("GET /service/tavro.test.null?api_key=bad HTTP/1.1\r\nHost: x\r\n\r\n"
                                      "GET /service/tavro.test.null HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QCOMPARE(answer.count("HTTP/1.1 200 OK"), 2);
        const qsizetype error = answer.indexOf("status=\"error\"");
        const qsizetype ok = answer.indexOf("status=\"ok\"");
        QVERIFY(error > 0);
        QVERIFY(ok > error);
        QVERIFY(answer.contains("Connection: close"));
        QCOMPARE(m_server->requests().size(), 2);
    }

    void badHttpIsRefused_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        QTest::newRow("garbage") << QByteArray("HELLO\r\n\r\n") << QByteArray("HTTP/1.1 400");
        QTest::newRow("not HTTP/1") << QByteArray("GET / SPDY/3\r\n\r\n") << QByteArray("HTTP/1.1 400");
        QTest::newRow("bad length") << QByteArray("POST /service/x HTTP/1.1\r\nContent-Length: ten\r\n\r\n")
                                    << QByteArray("HTTP/1.1 400");
        QTest::newRow("chunked") << QByteArray(
                                        "POST /service/x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
                                 << QByteArray("HTTP/1.1 501");
        QTest::newRow("huge body") << QByteArray("POST /service/x HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n")
                                   << QByteArray("HTTP/1.1 413");
        QTest::newRow("endless header") << QByteArray("GET / HTTP/1.1\r\nX: " + QByteArray(70000, 'a'))
                                        << QByteArray("HTTP/1.1 431");
    }

    void badHttpIsRefused()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        QVERIFY(raw(request).startsWith(status));
        QVERIFY(m_server->requests().isEmpty());
        QCOMPARE(get(s("tavro.test.null")).error, QNetworkReply::NoError);
    }

    void faults_data()
    {
        QTest::addColumn<DevServer::Fault>("fault");
        QTest::addColumn<bool>("methodRuns");
        QTest::newRow("error") << DevServer::Fault::Error << false;
        QTest::newRow("close") << DevServer::Fault::Close << false;
        QTest::newRow("malformed") << DevServer::Fault::Malformed << true;
        QTest::newRow("nul") << DevServer::Fault::NulByte << true;
        QTest::newRow("no status") << DevServer::Fault::NoStatus << true;
        QTest::newRow("error without element") << DevServer::Fault::ErrorNoElement << false;
    }

    void faults()
    {
        QFETCH(DevServer::Fault, fault);
        QFETCH(bool, methodRuns);
        const QString method = s("tavro.entries.addBulk");
        const QByteArray body = session() + "&date=2026-05-04&duration=90&task_id=1&description=x";
        if (fault == DevServer::Fault::Error) {
            m_server->setErrorFault(method, 42, s("Quota exceeded – Überlauf"));
        } else {
            m_server->setFault(method, fault);
        }
        // A fresh manager: on a reused connection that closes, the manager would quietly send again.
        m_manager = std::make_unique<QNetworkAccessManager>();
        const int entriesBefore = m_server->store()->entries(1).size();
        const Result result = post(method, body);
        QCOMPARE(m_server->store()->entries(1).size(), entriesBefore + (methodRuns ? 1 : 0));

        QDomDocument doc;
        const bool parsable = bool(doc.setContent(result.body));
        const QDomElement root = doc.documentElement();
        switch (fault) {
        case DevServer::Fault::Error:
            QCOMPARE(root.attribute(s("status")), s("error"));
            QCOMPARE(root.firstChildElement(s("error")).attribute(s("code")), s("42"));
            QCOMPARE(root.firstChildElement(s("error")).attribute(s("message")), s("Quota exceeded – Überlauf"));
            break;
        case DevServer::Fault::Close:
            QCOMPARE(result.error, QNetworkReply::RemoteHostClosedError);
            QVERIFY(result.body.isEmpty());
            break;
        case DevServer::Fault::Malformed:
            QCOMPARE(result.error, QNetworkReply::NoError);
            QVERIFY(!result.body.isEmpty());
            QVERIFY(!parsable);
            break;
        case DevServer::Fault::NulByte: {
            // The reply is whole, but a client that stops at the NUL holds a broken document.
            QCOMPARE(result.body.count('\0'), 1);
            const QByteArray cut = result.body.left(result.body.indexOf('\0'));
            QVERIFY(cut.contains("<rsp status=\"ok\">"));
            QDomDocument cutDoc;
            QVERIFY(!cutDoc.setContent(cut));
            break;
        }
        case DevServer::Fault::NoStatus:
            QVERIFY(parsable);
            QVERIFY(!root.hasAttribute(s("status")));
            QVERIFY(!root.firstChildElement(s("entry")).isNull());
            break;
        case DevServer::Fault::ErrorNoElement:
            QVERIFY(parsable);
            QCOMPARE(root.attribute(s("status")), s("error"));
            QVERIFY(doc.elementsByTagName(s("error")).isEmpty());
            break;
        case DevServer::Fault::None:
            QFAIL("no fault");
        }

        // Other methods are untouched, and clearing the faults heals the method.
        QCOMPARE(get(s("tavro.test.null")).root().attribute(s("status")), s("ok"));
        m_server->clearFaults();
        QCOMPARE(post(method, body).root().attribute(s("status")), s("ok"));
    }

    void nulByteFallsInsideElementText()
    {
        m_server->setFault(s("tavro.auth.login"), DevServer::Fault::NulByte);
        const Result result = get(s("tavro.auth.login"), "email=demo&password=demo");
        const qsizetype nul = result.body.indexOf('\0');
        QVERIFY(nul > result.body.indexOf("<token>"));
        QVERIFY(nul < result.body.indexOf("</token>"));
    }

    void faultNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        QTest::addColumn<DevServer::Fault>("fault");
        QTest::newRow("close") << s("close") << true << DevServer::Fault::Close;
        QTest::newRow("malformed") << s("malformed") << true << DevServer::Fault::Malformed;
        QTest::newRow("nul") << s("nul") << true << DevServer::Fault::NulByte;
        QTest::newRow("no-status") << s("no-status") << true << DevServer::Fault::NoStatus;
        QTest::newRow("error-no-element") << s("error-no-element") << true << DevServer::Fault::ErrorNoElement;
        QTest::newRow("unknown") << s("slow") << false << DevServer::Fault::None;
    }

    void faultNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        QFETCH(DevServer::Fault, fault);
        bool ok = !known;
        QCOMPARE(DevServer::faultFromName(name, &ok), fault);
        QCOMPARE(ok, known);
    }

    void delayHoldsTheReplyBack()
    {
        m_server->setDelay(800, s("tavro.test.null"));
        QSignalSpy received(m_server.get(), &DevServer::requestReceived);
        QNetworkReply *delayed = m_manager->get(QNetworkRequest(methodUrl(s("tavro.test.null"))));
        QVERIFY(received.wait(5000));
        QVERIFY(!delayed->isFinished());
        // Another connection is not held up by the delay of a different method.
        QNetworkAccessManager other;
        QCOMPARE(finish(other.get(QNetworkRequest(methodUrl(s("tavro.auth.checkToken"), "auth_token=x"))))
                     .root()
                     .attribute(s("status")),
                 s("error"));
        QVERIFY(!delayed->isFinished());
        const Result result = finish(delayed);
        QCOMPARE(result.error, QNetworkReply::NoError);
        QCOMPARE(result.root().attribute(s("status")), s("ok"));
    }

    void clientGivingUpDuringDelayDoesNoHarm()
    {
        m_server->setDelay(300);
        QSignalSpy received(m_server.get(), &DevServer::requestReceived);
        QNetworkReply *reply = m_manager->get(QNetworkRequest(methodUrl(s("tavro.test.null"))));
        QVERIFY(received.wait(5000));
        reply->abort();
        reply->deleteLater();
        QTest::qWait(400);
        m_server->setDelay(0);
        QCOMPARE(get(s("tavro.test.null")).root().attribute(s("status")), s("ok"));
    }

    void closeFaultWithDelay()
    {
        m_server->setFault(s("tavro.test.null"), DevServer::Fault::Close);
        m_server->setDelay(100, s("tavro.test.null"));
        QCOMPARE(get(s("tavro.test.null")).error, QNetworkReply::RemoteHostClosedError);
    }

    void appcastFeed_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("items");
        QTest::newRow("default") << QString() << 2;
        QTest::newRow("newer") << s("1.0.11") << 2;
        QTest::newRow("first release") << s("1.0.0") << 1;
    }

    void appcastFeed()
    {
        QFETCH(QString, version);
        QFETCH(int, items);
        if (!version.isEmpty()) {
            m_server->setAppcastVersion(version);
        }
        const Result result = finish(m_manager->get(
            QNetworkRequest(m_server->rootUrl().resolved(QUrl(s("/downloads/tavrodesk/tavrodesk-linux.xml"))))));
        QCOMPARE(result.httpStatus, 200);
        QDomDocument doc;
        QVERIFY(doc.setContent(result.body));
        QCOMPARE(doc.documentElement().tagName(), s("rss"));
        QCOMPARE(doc.documentElement().attribute(s("version")), s("2.0"));
        const QDomNodeList list = doc.elementsByTagName(s("item"));
        QCOMPARE(list.size(), items);
        for (int i = 0; i < list.size(); ++i) {
            const QDomElement item = list.item(i).toElement();
            for (const char *tag : {"title", "version", "link", "pubDate"}) {
                QVERIFY2(!item.firstChildElement(s(tag)).text().isEmpty(), tag);
            }
            QVERIFY(QUrl(item.firstChildElement(s("link")).text()).isValid());
            QVERIFY(QDateTime::fromString(item.firstChildElement(s("pubDate")).text(), Qt::RFC2822Date).isValid());
        }
        const QString newest = version.isEmpty() ? s("1.0.10") : version;
        QCOMPARE(list.item(0).firstChildElement(s("version")).text(), newest);

        const QUrl page(list.item(0).firstChildElement(s("link")).text());
        const Result download = finish(m_manager->get(QNetworkRequest(page)));
        QCOMPARE(download.httpStatus, 200);
        QVERIFY(download.body.contains(newest.toUtf8()));
    }

    void feedLinksFollowTheHostHeader_data()
    {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("used");
        QTest::newRow("name and port") << QByteArray("updates.example:8080") << true;
        QTest::newRow("IPv6") << QByteArray("[::1]:81") << true;
        QTest::newRow("markup") << QByteArray("<b>x</b>") << false;
        QTest::newRow("path") << QByteArray("evil.example/x?y") << false;
    }

    void feedLinksFollowTheHostHeader()
    {
        QFETCH(QByteArray, host);
        QFETCH(bool, used);
        const QByteArray answer = raw("GET /downloads/tavrodesk/tavrodesk-linux.xml HTTP/1.1\r\nHost: " + host +
                                      "\r\nConnection: close\r\n\r\n");
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK"));
        const QByteArray own = m_server->rootUrl().authority().toLatin1();
        QCOMPARE(answer.contains("<link>http://" + host + "/downloads/tavrodesk/</link>"), used);
        QCOMPARE(answer.contains("<link>http://" + own + "/downloads/tavrodesk/</link>"), !used);
    }

    void helpPageAndUnknownPaths()
    {
        Result result =
            finish(m_manager->get(QNetworkRequest(m_server->rootUrl().resolved(QUrl(s("/tavro-get-help.html"))))));
        QCOMPARE(result.httpStatus, 200);
        QVERIFY(result.body.startsWith("<!DOCTYPE html>"));
        result = finish(m_manager->get(QNetworkRequest(m_server->rootUrl().resolved(QUrl(s("/nothing.html"))))));
        QCOMPARE(result.httpStatus, 404);
        QCOMPARE(result.error, QNetworkReply::ContentNotFoundError);
    }

    void busyPortIsReported()
    {
        DevServer second;
        QVERIFY(!second.listen(m_server->serverPort()));
        QVERIFY(!second.errorString().isEmpty());
        QVERIFY(!second.isListening());
    }

    void sharedStoreIsUsed()
    {
        DevServiceStore store;
        QVERIFY(store.open(QString()));
        DevServer server(&store);
        QCOMPARE(server.store(), &store);
    }

    void https_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::newRow("trusted fixture") << true;
        QTest::newRow("untrusted") << false;
    }

    void https()
    {
        QFETCH(bool, trusted);
        DevServer server;
        QString error;
        QVERIFY2(server.setTlsFiles(fixture("devservice-cert.pem"), fixture("devservice-key.pem"), &error),
                 qPrintable(error));
        QVERIFY(server.listen());
        QCOMPARE(server.url().scheme(), s("https"));

        QNetworkRequest request(server.url().resolved(QUrl(s("tavro.test.null"))));
        if (trusted) {
            QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
            configuration.setCaCertificates(QSslCertificate::fromPath(fixture("devservice-cert.pem")));
            request.setSslConfiguration(configuration);
        }
        QNetworkAccessManager manager;
        const Result result = finish(manager.get(request));
        if (trusted) {
            QVERIFY2(result.error == QNetworkReply::NoError, qPrintable(QString::number(result.error)));
            QVERIFY(!result.sslErrors);
            QCOMPARE(result.root().attribute(s("status")), s("ok"));
            QCOMPARE(server.requests().size(), 1);
        } else {
            QCOMPARE(result.error, QNetworkReply::SslHandshakeFailedError);
            QVERIFY(result.sslErrors);
            QVERIFY(server.requests().isEmpty());
        }
    }

    void badTlsFilesAreReported()
    {
        DevServer server;
        QString error;
        QVERIFY(!server.setTlsFiles(fixture("missing.pem"), fixture("devservice-key.pem"), &error));
        QVERIFY(error.contains(s("missing.pem")));
        QVERIFY(!server.setTlsFiles(fixture("devservice-cert.pem"), fixture("devservice-cert.pem"), &error));
        QVERIFY(error.contains(s("key")));
        QVERIFY(!server.isTls());
    }

    void commandLine()
    {
        const QString program = qEnvironmentVariable("TAVRO_DEVSERVICE");
        if (program.isEmpty()) {
            QSKIP("TAVRO_DEVSERVICE not set");
        }
        QProcess bad;
        bad.start(program, {s("--fault"), s("tavro.test.null=slow")});
        QVERIFY(bad.waitForFinished(10000));
        QCOMPARE(bad.exitCode(), 2);
        QVERIFY(bad.readAllStandardError().contains("invalid --fault"));

        QTemporaryDir dir;
        const QString data = dir.filePath(s("service.sqlite"));
        QProcess process;
        process.start(program,
                      {s("--port"), s("0"), s("--data"), data, s("--cert"), fixture("devservice-cert.pem"), s("--key"),
                       fixture("devservice-key.pem"), s("--fault"), s("tavro.test.null=error:7:Down for repair"),
                       s("--delay"), s("tavro.auth.login=10"), s("--appcast-version"), s("2.0.0")});
        QVERIFY(process.waitForReadyRead(10000));
        const QString line = QString::fromUtf8(process.readLine()).trimmed();
        QVERIFY2(line.startsWith(s("tavro-devservice listening on https://127.0.0.1:")), qPrintable(line));
        QVERIFY(line.endsWith(s("/service/")));
        QVERIFY(QFile::exists(data));

        const QUrl base(line.section(QLatin1Char(' '), -1));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(QSslCertificate::fromPath(fixture("devservice-cert.pem")));
        QNetworkAccessManager manager;
        const auto fetch = [&](const QString &path) {
            QNetworkRequest request(base.resolved(QUrl(path)));
            request.setSslConfiguration(tls);
            return finish(manager.get(request));
        };
        QCOMPARE(fetch(s("tavro.test.null")).root().firstChildElement(s("error")).attribute(s("message")),
                 s("Down for repair"));
        QCOMPARE(fetch(s("tavro.auth.login?email=demo%40tavro.test&password=demo")).root().attribute(s("status")),
                 s("ok"));
        QVERIFY(fetch(s("/downloads/tavrodesk/tavrodesk-linux.xml")).body.contains("<version>2.0.0</version>"));
        process.kill();
        process.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestDevServer)
#include "tst_devserver.moc"
