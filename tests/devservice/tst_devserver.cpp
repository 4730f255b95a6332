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
#include <algorithm>

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

struct Result
{
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;

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
    if (!reply->isFinished()) {
        QSignalSpy finished(reply, &QNetworkReply::finished);
        finished.wait(10000);
    }
    result.error = reply->error();
    result.body = reply->readAll();
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
        url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
        return url;
    }

    Result send(const QString &method, const QByteArray &query, const QByteArray *body = nullptr)
    {
        QNetworkRequest request(methodUrl(method, query));
        request.setRawHeader("User-Agent", "TavroDesk/1.0.10 Linux");
        if (!body) {
            return finish(m_manager->get(request));
        }
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        return finish(m_manager->post(request, *body));
    }

    Result get(const QString &method, const QByteArray &query = {}) { return send(method, query); }
    Result post(const QString &method, const QByteArray &body) { return send(method, {}, &body); }

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
        m_manager = std::make_unique<QNetworkAccessManager>();
    }

    void cleanup()
    {
        m_manager.reset();
        m_server.reset();
    }

    // Clients write a blank as %20, so a raw '+' in a form body is a plus sign.
    void rawPlusIsAPlusSign()
    {
        const Result result =
            post(s("tavro.entries.addBulk"), session() + "&date=2026-05-04&duration=90&task_id=1&description=a+b%20c");
        const int id = result.root().firstChildElement(s("entry")).attribute(s("id")).toInt();
        QCOMPARE(m_server->store()->entry(id)->description, s("a+b c"));
    }

    void badHttpIsRefused_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const auto add = [](const char *row, const QByteArray &request, const char *status) {
            QTest::newRow(row) << request << QByteArray(status);
        };
        add("garbage", "HELLO\r\n\r\n", "HTTP/1.1 400");
        // Refused while the client is still sending: closing on unread bytes used to reset the
        // connection, and the client lost the answer.
        add("garbage before megabytes", "HELLO\r\n\r\n" + QByteArray(8 * 1024 * 1024, 'x'), "HTTP/1.1 400");
        add("chunked", "POST /service/x HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", "HTTP/1.1 501");
        add("huge body", "POST /service/x HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n", "HTTP/1.1 413");
        add("endless header", "GET / HTTP/1.1\r\nX: " + QByteArray(70000, 'a'), "HTTP/1.1 431");
        // The limit used to apply only while the header section was still open.
        add("complete huge header", "GET / HTTP/1.1\r\nX: " + QByteArray(70000, 'a') + "\r\n\r\n", "HTTP/1.1 431");
        add("two lengths",
            "POST /service/tavro.test.null HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 5\r\n\r\nabcde",
            "HTTP/1.1 400");
        add("signed length", "POST /service/tavro.test.null HTTP/1.1\r\nContent-Length: +1\r\n\r\na", "HTTP/1.1 400");
    }

    void badHttpIsRefused()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        QVERIFY(raw(request).startsWith(status));
        QVERIFY(m_server->requests().isEmpty());
        QCOMPARE(get(s("tavro.test.null")).error, QNetworkReply::NoError);
    }

    // Used to hang: the blank line was only looked for as CRLF CRLF.
    void bareLineFeedsFrameARequest()
    {
        const QByteArray answer = raw("GET /service/tavro.test.null HTTP/1.1\nHost: x\nConnection: close\n\n");
        QVERIFY2(answer.startsWith("HTTP/1.1 200"), answer.constData());
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().host, QByteArray("x"));
    }

    // Quiet clients are closed after the idle time; they cannot lock out new ones either.
    void idleConnectionsAreClosed()
    {
        m_server->setIdleTimeout(300);
        QList<QTcpSocket *> sockets;
        for (int i = 0; i < DevServer::MaxConnections + 20; ++i) {
            sockets << new QTcpSocket(this);
            sockets.last()->connectToHost(QHostAddress::LocalHost, m_server->serverPort());
        }
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(sockets.cbegin(), sockets.cend(),
                                             [](QTcpSocket *socket) {
                                                 return socket->state() != QAbstractSocket::ConnectingState &&
                                                        socket->state() != QAbstractSocket::HostLookupState;
                                             }),
                                 10000);
        // A half-sent body does not count as activity.
        sockets.first()->write("POST /service/tavro.test.null HTTP/1.1\r\nContent-Length: 1000\r\n\r\nabc");
        QTRY_VERIFY(m_server->connectionCount() > 0);
        QVERIFY(m_server->connectionCount() <= DevServer::MaxConnections);
        QCOMPARE(get(s("tavro.test.null")).error, QNetworkReply::NoError);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->connectionCount(), 0, 5000);
        QTRY_VERIFY(sockets.first()->state() == QAbstractSocket::UnconnectedState);
        qDeleteAll(sockets);
    }

    // Large bodies on many connections at once: what the server holds for them together is capped, the
    // connection that would pass the cap is refused, and the server goes on answering.
    void requestBytesInFlightAreCapped()
    {
        const qint64 bodySize = 15 * 1024 * 1024;
        const QByteArray request =
            "POST /service/tavro.test.null HTTP/1.1\r\nContent-Length: " + QByteArray::number(bodySize + 1) +
            "\r\n\r\n" + QByteArray(bodySize, 'a');
        constexpr int Clients = 6;
        static_assert(Clients * 15 > DevServer::MaxBufferedBytes / (1024 * 1024), "the bodies must pass the cap");
        QList<QTcpSocket *> sockets;
        QByteArrayList answers(Clients);
        for (int i = 0; i < Clients; ++i) {
            auto *socket = new QTcpSocket(this);
            connect(socket, &QTcpSocket::readyRead, this, [socket, &answers, i] { answers[i] += socket->readAll(); });
            socket->connectToHost(QHostAddress::LocalHost, m_server->serverPort());
            // One byte short: no body completes, each one waits in the server.
            socket->write(request);
            sockets << socket;
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            std::any_of(answers.cbegin(), answers.cend(),
                        [](const QByteArray &answer) { return answer.startsWith("HTTP/1.1 503 Service Unavailable"); }),
            30000);
        QCOMPARE(get(s("tavro.test.null")).error, QNetworkReply::NoError);
        qDeleteAll(sockets);
    }

    // The history holds summaries: a long-running server must not keep every body it was sent.
    void historyKeepsBoundedSummaries()
    {
        const QByteArray body = session() + "&description=" + QByteArray(8 * 1024 * 1024, 'd');
        QCOMPARE(post(s("tavro.test.null"), body).error, QNetworkReply::NoError);
        const DevServerRequest request = m_server->requests().constLast();
        QCOMPARE(request.bodySize, body.size());
        QVERIFY(request.body.size() <= 16 * 1024);
        QVERIFY(body.startsWith(request.body));
        QVERIFY(request.value(s("description")).size() <= 4 * 1024);
    }

    void faults_data()
    {
        QTest::addColumn<QString>("name"); // as given to the executable's --fault
        QTest::addColumn<bool>("methodRuns");
        QTest::addColumn<QString>("answer"); // status/code of the document, "-" when unparsable
        QTest::newRow("error") << s("error") << false << s("error/42");
        QTest::newRow("close") << s("close") << false << s("-");
        QTest::newRow("malformed") << s("malformed") << true << s("-");
        QTest::newRow("nul") << s("nul") << true << s("-");
        QTest::newRow("no status") << s("no-status") << true << s("/");
        QTest::newRow("error without element") << s("error-no-element") << false << s("error/");
        QTest::newRow("ok without id") << s("no-id") << true << s("ok/");
    }

    // The method runs, then the connection closes without a word: what a client must never repeat.
    void closeAfterRun()
    {
        bool known = false;
        m_server->setFault(s("tavro.entries.addBulk"), DevServer::faultFromName(s("close-after-run"), &known));
        QVERIFY(known);
        const qsizetype before = m_server->store()->entries(1).size();
        const QByteArray body = session() + "&date=2026-05-04&duration=90&task_id=1&description=x";
        const QByteArray answer = raw("POST /service/tavro.entries.addBulk HTTP/1.1\r\nHost: x\r\nContent-Type: "
                                      "application/x-www-form-urlencoded\r\nContent-Length: " +
                                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        QVERIFY2(answer.isEmpty(), answer.constData());
        QCOMPARE(m_server->store()->entries(1).size(), before + 1);
    }

    void faults()
    {
        QFETCH(QString, name);
        QFETCH(bool, methodRuns);
        QFETCH(QString, answer);
        bool known = false;
        const DevServer::Fault fault = DevServer::faultFromName(name, &known);
        QVERIFY(known);
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
        QCOMPARE(result.error != QNetworkReply::NoError, fault == DevServer::Fault::Close);
        QCOMPARE(result.body.count('\0'), fault == DevServer::Fault::NulByte ? 1 : 0);
        QDomDocument doc;
        const QDomElement root = doc.setContent(result.body) ? doc.documentElement() : QDomElement();
        QCOMPARE(root.isNull() ? s("-")
                               : root.attribute(s("status")) + QLatin1Char('/') +
                                     root.firstChildElement(s("error")).attribute(s("code")),
                 answer);
        if (answer.startsWith(s("ok"))) {
            const QDomElement entry = root.firstChildElement(s("entry"));
            QVERIFY(!entry.isNull());
            QCOMPARE(entry.hasAttribute(s("id")), fault != DevServer::Fault::NoId);
        }
        // Other methods are untouched, and clearing the faults heals the method.
        QCOMPARE(get(s("tavro.test.null")).root().attribute(s("status")), s("ok"));
        m_server->clearFaults();
        QCOMPARE(post(method, body).root().attribute(s("status")), s("ok"));
    }

    void appcastFeed_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("hostUsed");
        QTest::newRow("IPv6 host") << s("1.0.11") << QByteArray("[::1]:81") << true;
        QTest::newRow("markup host") << s("1.0.0") << QByteArray("<b>x</b>") << false;
        QTest::newRow("path in host") << s("1.0.11") << QByteArray("evil.example/x?y") << false;
    }

    void appcastFeed()
    {
        QFETCH(QString, version);
        QFETCH(QByteArray, host);
        QFETCH(bool, hostUsed);
        m_server->setAppcastVersion(version);
        const QByteArray answer = raw("GET /downloads/tavrodesk/tavrodesk-linux.xml HTTP/1.1\r\nHost: " + host +
                                      "\r\nConnection: close\r\n\r\n");
        QVERIFY(answer.startsWith("HTTP/1.1 200 OK"));
        QDomDocument doc;
        QVERIFY(doc.setContent(answer.mid(answer.indexOf("\r\n\r\n") + 4)));
        const QDomElement newest = doc.elementsByTagName(s("item")).item(0).toElement();
        QCOMPARE(newest.firstChildElement(s("version")).text(), version);
        // The links follow the Host header only when it is a plain host and port.
        const QByteArray authority = hostUsed ? host : m_server->rootUrl().authority().toLatin1();
        QCOMPARE(newest.firstChildElement(s("link")).text().toLatin1(),
                 "http://" + authority + "/downloads/tavrodesk/");
    }

    void commandLine()
    {
        const QString program = qEnvironmentVariable("TAVRO_DEVSERVICE");
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
        QVERIFY(QFile::exists(data));

        const QUrl base(line.section(QLatin1Char(' '), -1));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        const auto fetch = [&](const QString &path) {
            QNetworkRequest request(base.resolved(QUrl(path)));
            request.setSslConfiguration(tls);
            // A fresh manager each time, so nothing of a refused handshake is reused.
            QNetworkAccessManager manager;
            return finish(manager.get(request));
        };
        // Its certificate is trusted only when made so.
        QCOMPARE(fetch(s("tavro.test.null")).error, QNetworkReply::SslHandshakeFailedError);
        tls.setCaCertificates(QSslCertificate::fromPath(fixture("devservice-cert.pem")));
        QCOMPARE(fetch(s("tavro.test.null")).root().firstChildElement(s("error")).attribute(s("message")),
                 s("Down for repair"));
        QVERIFY(fetch(s("/downloads/tavrodesk/tavrodesk-linux.xml")).body.contains("<version>2.0.0</version>"));
        process.kill();
        process.waitForFinished(5000);
    }
};

QTEST_GUILESS_MAIN(TestDevServer)
#include "tst_devserver.moc"
